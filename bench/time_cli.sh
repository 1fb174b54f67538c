#!/usr/bin/env bash
# Times z2o-convert on a large session (8,000 steps with both ramps, 32,000 target records)
# against cp of a file of the target's size, in the same run, and reports peak memory.
# Usage: bench/time_cli.sh PATH/TO/z2o-convert [RUNS]
set -euo pipefail
cli=$(realpath "$1")
runs=${2:-30}
here=$(cd "$(dirname "$0")/.." && pwd)
make_session="$(dirname "$cli")/z2o-make-session"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "step duration=15:00.0 start=10,3,20,9,150 end=20,15,10,2,170 channel=0x7C option=0x0B repeat=8000" \
    >"$work/large.txt"
"$make_session" "$work/large.txt" "$work/Large.ZS2"
"$cli" "$work/Large.ZS2" >/dev/null
head -c "$(stat -c %s "$work/Large.OSw")" /dev/urandom >"$work/payload.bin"
echo "source $(stat -c %s "$work/Large.ZS2") bytes, target $(stat -c %s "$work/Large.OSw") bytes"

# Median wall time of RUNS runs, in microseconds.
median_us() {
    local times=() i start end
    for ((i = 0; i < runs; i++)); do
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        times+=($(((end - start) / 1000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$((runs / 2 + 1))p"
}

convert_us=$(median_us "$cli" "$work/Large.ZS2")
cp_us=$(median_us cp "$work/payload.bin" "$work/copy.bin")
# z2o-convert syncs the target to disk before it replaces anything; so does this copy.
dd_us=$(median_us dd if="$work/payload.bin" of="$work/synced.bin" bs=4M conv=fsync status=none)
echo "z2o-convert:        ${convert_us} us (median of $runs)"
echo "cp:                 ${cp_us} us"
echo "dd conv=fsync:      ${dd_us} us"
awk -v a="$convert_us" -v b="$cp_us" -v c="$dd_us" \
    'BEGIN { printf "ratio:              %.2fx cp, %.2fx a synced copy\n", a / b, a / c }'
peak=$( { /usr/bin/time -f '%M' "$cli" "$work/Large.ZS2" >/dev/null; } 2>&1 | tail -1)
cp_peak=$( { /usr/bin/time -f '%M' cp "$work/payload.bin" "$work/copy.bin"; } 2>&1 | tail -1)
echo "peak memory: z2o-convert ${peak} KiB, cp ${cp_peak} KiB"
