#!/usr/bin/env bash
# Every figure of the scan and telemetry goals in one run, each with its ratio
# against the floor or the peer measured in the same run on the same card:
#   - warm Load of the 2,000-recording card against an open/fstat/pread/close loop
#   - lumtool scan --json end to end against exiftool -fast -ee and exiftool -fast
#   - system calls and bytes read per recording (strace)
#   - 20,000 recordings: time, linearity and peak memory of lumtool scan --json
#   - cold cache: lumtool against exiftool -fast
#   - telemetry of a 700-block ".MOV", its map calls, a playback tick's allocations
# Build first (bash tools/dev.sh test, or the bench targets); not run by CI.
#   bash bench/scan_vs_peers.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build}
lumtool=$build/tools/lumtool/lumtool
work=$(mktemp -d /tmp/lum-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

for tool in exiftool strace jq /usr/bin/time; do
  command -v "$tool" >/dev/null || {
    echo "needs $tool: run bash tools/dev.sh test first, which installs it"
    exit 1
  }
done

now() { date +%s.%N; }
# Median wall time in seconds of RUNS runs of a command (its output is dropped).
median_of() {
  local runs=$1 t0 t1
  shift
  for _ in $(seq "$runs"); do
    t0=$(now)
    "$@" >/dev/null 2>&1 || true
    t1=$(now)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f\n", b - a }'
  done | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }
ms() { awk -v s="$1" 'BEGIN { printf "%.1f ms", s * 1000 }'; }
warm() { find "$1" -type f -exec cat {} + >/dev/null; }
# Evicts the card's pages from the page cache where the kernel lets us drop
# caches, else file by file (posix_fadvise DONTNEED through dd's nocache flag).
cold() {
  sync
  if [ -w /proc/sys/vm/drop_caches ]; then
    echo 3 >/proc/sys/vm/drop_caches
  else
    find "$1" -type f -exec sh -c 'for f; do dd if="$f" iflag=nocache count=0 status=none; done' _ {} +
  fi
}

echo "== Machine"
echo "$(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(awk '/MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo)"
echo "$(uname -sr), $(df -T "$work" | awk 'NR == 2 { print $2 }') at $work, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "exiftool $(exiftool -ver), lumtool at $lumtool ($(git rev-parse --short HEAD 2>/dev/null || echo '?'))"

card=$work/card2k
"$build/bench/lum_make_bench_card" "$card" 2000 >/dev/null
count=$(find "$card" -type f | wc -l)
warm "$card"

echo "== Warm cache, $count recordings"
lum=$(median_of 7 "$lumtool" scan "$card" --json)
listed=$("$lumtool" scan "$card" --json | grep -c '"fileName"')
exif_ee=$(median_of 1 exiftool -fast -ee -j -r "$card")
exif=$(median_of 1 exiftool -fast -j -r "$card")
printf '%-34s %10s  (%d listed)\n' "lumtool scan --json" "$(ms "$lum")" "$listed"
printf '%-34s %10s  %6sx lumtool (goal >= 300x)\n' "exiftool -fast -ee -j -r" "$(ms "$exif_ee")" "$(ratio "$exif_ee" "$lum")"
printf '%-34s %10s  %6sx lumtool (goal >= 60x)\n' "exiftool -fast -j -r" "$(ms "$exif")" "$(ratio "$exif" "$lum")"
echo "lumtool scan --json goal: <= 100 ms"

LUM_BENCH_CARD=$card "$build/bench/lum_catalogue_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$work/bench.json" 2>/dev/null
median() { jq -r --arg n "$1_median" --arg f "$2" '.benchmarks[] | select(.name == $n) | .[$f]' "$work/bench.json"; }
load_ms=$(median BM_Load real_time)
floor_ms=$(median BM_Floor real_time)
per() { awk -v t="$1" -v n="$count" 'BEGIN { printf "%.1f us a recording", t * 1000 / n }'; }
printf '%-34s %10s  %s\n' "Load (catalogue, median of 5)" "$(printf '%.1f ms' "$load_ms")" "$(per "$load_ms")"
printf '%-34s %10s  %s\n' "floor: open/fstat/pread 4K/close" "$(printf '%.1f ms' "$floor_ms")" "$(per "$floor_ms")"
echo "Load / floor: $(ratio "$load_ms" "$floor_ms")x (goal <= 2x, Load <= 50 ms)"

echo "== System calls and bytes read per recording (strace, whole lumtool run)"
strace -f -qq -o "$work/strace.txt" "$lumtool" scan "$card" --json >/dev/null
# With several threads strace splits a call into "unfinished" and "resumed" lines:
# each call is counted once, by its first line.
grep -v 'resumed>' "$work/strace.txt" >"$work/calls.txt"
calls=$(wc -l <"$work/calls.txt")
bytes=$(awk -F'= ' '/(read|pread64)(\(| resumed)/ && $NF ~ /^[0-9]+$/ { s += $NF } END { print s + 0 }' "$work/strace.txt")
awk -v c="$calls" -v b="$bytes" -v n="$count" 'BEGIN {
  printf "%.1f system calls, %.1f KiB read a recording (goal <= 8 and <= 16 KiB)\n", c / n, b / n / 1024 }'
awk '{ sub(/^[0-9]+ +/, ""); sub(/\(.*/, ""); n[$0]++ } END { for (k in n) if (n[k] >= 100) printf "  %s %d\n", k, n[k] }' "$work/calls.txt" | sort -k2 -nr

echo "== 20,000 recordings"
card20=$work/card20k
"$build/bench/lum_make_bench_card" "$card20" 20000 >/dev/null
warm "$card20"
lum20=$(median_of 3 "$lumtool" scan "$card20" --json)
peak=$(/usr/bin/time -f %M "$lumtool" scan "$card20" --json 2>&1 >/dev/null | tail -1)
printf '%-34s %10s  %.1fx the 2,000 card (linear: 10x)\n' "lumtool scan --json" "$(ms "$lum20")" "$(ratio "$lum20" "$lum")"
awk -v k="$peak" 'BEGIN { printf "peak memory %.1f MB (goal <= 100 MB)\n", k / 1024 }'
rm -rf "$card20"

echo "== Cold cache, $count recordings"
if [ -w /proc/sys/vm/drop_caches ]; then
  echo "(page cache dropped before each run)"
else
  echo "(this machine does not allow drop_caches: the card's file pages are evicted with posix_fadvise before each run; folders and inodes stay cached)"
fi
cold "$card"
lum_cold=$(median_of 1 "$lumtool" scan "$card" --json)
cold "$card"
exif_cold=$(median_of 1 exiftool -fast -j -r "$card")
printf '%-34s %10s\n' "lumtool scan --json" "$(ms "$lum_cold")"
printf '%-34s %10s  %6sx lumtool\n' "exiftool -fast -j -r" "$(ms "$exif_cold")" "$(ratio "$exif_cold" "$lum_cold")"

echo "== Telemetry and playback tick"
printf '%-34s %10s  (goal <= 200 us)\n' "700-block .MOV telemetry" "$(printf '%.0f us' "$(median BM_LoadCurrentTelemetry700Blocks real_time)")"
printf '%-34s %10s  (goal: one, or a handful)\n' "map calls for its track" "$(median BM_LoadCurrentTelemetry700Blocks map_calls)"
printf '%-34s %10s  (goal: 0)\n' "allocations in an unchanged tick" "$(median BM_FeedGaugesUnchanged allocations_per_tick)"

echo "== Playback latency (the real window and engine under Xvfb, the sample card)"
latency=$build/bench/playback/lum_playback_latency
if [ -x "$latency" ] && command -v xvfb-run >/dev/null; then
  sample=${LUM_SAMPLE_CARD:-$work/sample-card}
  [ -d "$sample" ] || "$build/tools/make-card/lum-make-card" "$sample" >/dev/null
  QTWEBENGINE_DISABLE_SANDBOX=1 xvfb-run -a -s "-screen 0 1280x800x24" "$latency" "$sample" 7 2>/dev/null |
    sed 's/^/  /'
  echo "double-click to first time report goal: <= 400 ms"
else
  echo "(skipped: needs $latency and xvfb-run)"
fi
