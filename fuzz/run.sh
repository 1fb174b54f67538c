#!/usr/bin/env bash
# Runs each fuzz target for SECONDS (default 30) from its committed corpus, and prints how many
# inputs it ran. Whatever a target finds is left in fuzz-out/ and fails the run; add it to
# fuzz/corpus/TARGET/ as a regression input once it is fixed.
# Usage: fuzz/run.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
seconds=${1:-30}
build=${2:-$here/../build-fuzz}
out=$here/../fuzz-out
mkdir -p "$out"
status=0
for target in session duration album; do
    work=$(mktemp -d)
    log=$out/$target.log
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
        -rss_limit_mb=2048 -max_len=4096 -artifact_prefix="$out/$target-" \
        "$work" "$here/corpus/$target" >"$log" 2>&1; then
        echo "fuzz_$target found a fault: see $log" >&2
        status=1
    fi
    runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
    echo "fuzz_$target: ${runs:-?} inputs in ${seconds} s"
    rm -rf "$work"
done
exit $status
