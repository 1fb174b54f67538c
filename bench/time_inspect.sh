#!/usr/bin/env bash
# Times z2o-inspect --format csv of a 32,000-record target against z2o-convert of its source, in
# the same run.
# Usage: bench/time_inspect.sh PATH/TO/z2o-convert
set -euo pipefail
cli=$(realpath "$1")
bin=$(dirname "$cli")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Steps without ramps give one target record each.
echo "step duration=0:10.0 start=10,3,20,9,150 end=20,15,10,2,170 option=0x01 repeat=32000" \
    >"$work/session.txt"
"$bin/z2o-make-session" "$work/session.txt" "$work/S.ZS2"
"$cli" "$work/S.ZS2" >/dev/null
records=$(($(stat -c %s "$work/S.OSw") / 109))

runs=5
# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"

convert_ms=$(best_ms "$cli" "$work/S.ZS2")
inspect_ms=$(best_ms "$bin/z2o-inspect" --format csv "$work/S.OSw")
echo "z2o-convert of the source:                    ${convert_ms} ms"
echo "z2o-inspect --format csv of its ${records} records: ${inspect_ms} ms"
awk -v i="$inspect_ms" -v c="$convert_ms" 'BEGIN { printf "ratio: %.1fx z2o-convert\n", i / (c > 0 ? c : 1) }'
