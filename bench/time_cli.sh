#!/usr/bin/env bash
# Times z2o-convert on a large session (8,000 steps with both ramps, 32,000 target records)
# against cp and a synced dd of a file of the target's size, in the same run (the runs of each
# round interleaved, so that a change in the machine's load falls on all alike), and reports
# peak memory. With a second binary, an older build is timed alongside.
# Usage: bench/time_cli.sh PATH/TO/z2o-convert [RUNS] [PATH/TO/OLDER/z2o-convert]
set -euo pipefail
cli=$(realpath "$1")
runs=${2:-30}
older=${3:+$(realpath "$3")}
make_session="$(dirname "$cli")/z2o-make-session"
[ -x /usr/bin/time ] || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq time
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "step duration=15:00.0 start=10,3,20,9,150 end=20,15,10,2,170 channel=0x7C option=0x0B repeat=8000" \
    >"$work/large.txt"
"$make_session" "$work/large.txt" "$work/Large.ZS2"
"$cli" "$work/Large.ZS2" >/dev/null
head -c "$(stat -c %s "$work/Large.OSw")" /dev/urandom >"$work/payload.bin"
echo "source $(stat -c %s "$work/Large.ZS2") bytes, target $(stat -c %s "$work/Large.OSw") bytes"

# Wall time of one run, in microseconds.
time_us() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
}
median() { sort -n | sed -n "$((runs / 2 + 1))p"; }

: >"$work/convert" >"$work/cp" >"$work/dd" >"$work/older"
for ((i = 0; i < runs; i++)); do
    time_us "$cli" "$work/Large.ZS2" >>"$work/convert"
    time_us cp "$work/payload.bin" "$work/copy.bin" >>"$work/cp"
    # z2o-convert syncs the target to disk before it replaces anything; so does this copy.
    time_us dd if="$work/payload.bin" of="$work/synced.bin" bs=4M conv=fsync status=none \
        >>"$work/dd"
    [ -z "$older" ] || time_us "$older" "$work/Large.ZS2" >>"$work/older"
done
convert_us=$(median <"$work/convert")
cp_us=$(median <"$work/cp")
dd_us=$(median <"$work/dd")
echo "z2o-convert:        ${convert_us} us (median of $runs)"
echo "cp:                 ${cp_us} us"
echo "dd conv=fsync:      ${dd_us} us"
awk -v a="$convert_us" -v b="$cp_us" -v c="$dd_us" \
    'BEGIN { printf "ratio:              %.2fx cp, %.2fx dd conv=fsync\n", a / b, a / c }'
if [ -n "$older" ]; then
    older_us=$(median <"$work/older")
    awk -v a="$older_us" -v b="$cp_us" -v c="$dd_us" \
        'BEGIN { printf "older build:        %d us, %.2fx cp, %.2fx dd conv=fsync\n", a, a / b, a / c }'
fi
peak=$( { /usr/bin/time -f '%M' "$cli" "$work/Large.ZS2" >/dev/null; } 2>&1 | tail -1)
cp_peak=$( { /usr/bin/time -f '%M' cp "$work/payload.bin" "$work/copy.bin"; } 2>&1 | tail -1)
echo "peak memory: z2o-convert ${peak} KiB, cp ${cp_peak} KiB"
if [ -n "$older" ]; then
    older_peak=$( { /usr/bin/time -f '%M' "$older" "$work/Large.ZS2" >/dev/null; } 2>&1 | tail -1)
    echo "peak memory: older build ${older_peak} KiB"
fi
