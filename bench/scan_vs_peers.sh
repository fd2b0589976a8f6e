#!/usr/bin/env bash
# Times a warm-cache scan of a 2,000-recording card by lumtool against ExifTool
# and ffprobe on the same card, in one run, and prints the ratios; then runs the
# Google Benchmark of the catalogue. Build first: bash tools/dev.sh test
#   bash bench/scan_vs_peers.sh [COUNT]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
count=${1:-2000}
build=build
card=$(mktemp -d /tmp/lum-bench-card.XXXXXX)
trap 'rm -rf "$card"' EXIT

for tool in exiftool ffprobe strace; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install libimage-exiftool-perl ffmpeg strace)"; exit 1; }
done

"$build/bench/lum_make_bench_card" "$card" "$count" >/dev/null
mapfile -t files < <(find "$card" -type f | sort)
cat "${files[@]}" >/dev/null   # warm the page cache for every tool alike

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

"$build/tools/lumtool/lumtool" scan "$card" --json >/dev/null   # one warm-up
t0=$(now); "$build/tools/lumtool/lumtool" scan "$card" --json >/tmp/lum-bench-scan.json; t1=$(now)
lum=$(seconds "$t0" "$t1")
listed=$(grep -c '"fileName"' /tmp/lum-bench-scan.json)

t0=$(now); exiftool -fast -ee -j -r "$card" >/dev/null 2>&1 || true; t1=$(now)
exif=$(seconds "$t0" "$t1")

t0=$(now)
for f in "${files[@]}"; do ffprobe -v error -show_format -show_streams -of json "$f" >/dev/null 2>&1 || true; done
t1=$(now)
probe=$(seconds "$t0" "$t1")

# Bytes lumtool reads per recording, counted from its read system calls.
strace -f -qq -e trace=read,pread64 -o /tmp/lum-bench-strace.txt \
  "$build/tools/lumtool/lumtool" scan "$card" --json >/dev/null
bytes=$(awk -F'= ' '/^[0-9]+ +(read|pread64)\(/ && $NF ~ /^[0-9]+$/ { s += $NF } END { print s + 0 }' /tmp/lum-bench-strace.txt)

echo "card: $count recordings ($listed listed), $(du -sh "$card" | cut -f1)"
printf '%-28s %8ss\n' "lumtool scan --json" "$lum" "exiftool -fast -ee -j" "$exif" "ffprobe (one per file)" "$probe"
awk -v l="$lum" -v e="$exif" -v p="$probe" 'BEGIN {
  printf "exiftool / lumtool: %.0fx   ffprobe / lumtool: %.0fx\n", e / l, p / l }'
awk -v b="$bytes" -v n="$count" 'BEGIN { printf "lumtool reads %.1f KB per recording\n", b / n / 1024 }'

"$build/bench/lum_catalogue_bench" --benchmark_min_time=0.5
