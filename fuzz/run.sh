#!/usr/bin/env bash
# Fuzzes one target for a while on one core, starting from its seeds, and prints
# the runs and the coverage at the start and at the end.
#   fuzz/run.sh BUILD_DIR TARGET SECONDS [MAX_LEN]
# TARGET is mp4, avi, sidetext, telemetry, writers or settings. The growing corpus
# lives in BUILD_DIR/fuzz/corpus/TARGET, findings in BUILD_DIR/fuzz/findings and
# libFuzzer's log in BUILD_DIR/fuzz/TARGET.log.
set -euo pipefail
build=$(cd "$1" && pwd)/fuzz
target=$2
seconds=$3
max_len=${4:-4096}
mkdir -p "$build/corpus/$target" "$build/findings" "$build/work-$target"
cd "$build/work-$target"
# One job on one worker: libFuzzer writes that job's log to fuzz-0.log here.
"$build/lum_fuzz_$target" -jobs=1 -workers=1 -max_total_time="$seconds" -max_len="$max_len" \
  -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
  "$build/corpus/$target" "$build/seeds/$target" >/dev/null 2>&1 || true
mv fuzz-0.log "$build/$target.log"
cd "$build" && rmdir "work-$target"
log="$build/$target.log"
first=$(grep -m1 -o 'cov: [0-9]*' "$log" || echo "cov: ?")
last=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || echo "cov: ?")
runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
found=$(find "$build/findings" -name "$target-*" | wc -l)
echo "$target: runs $runs, start $first, end $last, findings $found"
