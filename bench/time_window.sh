#!/usr/bin/env bash
# Time from process start to a visible window, and peak memory, of the converter window against a
# bare Qt window, in the same run under a virtual X server.
# Usage: bench/time_window.sh PATH/TO/z2o PATH/TO/z2o_bare_window [RUNS]
set -euo pipefail
app=$(realpath "$1")
bare=$(realpath "$2")
runs=${3:-10}
if [ -z "${Z2O_UNDER_XVFB:-}" ]; then
    Z2O_UNDER_XVFB=1 exec xvfb-run -a "$0" "$@"
fi
work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work"
chmod 700 "$work"
trap 'rm -rf "$work"' EXIT

measure() {  # program title: prints "median_ms peak_kib"
    local times=() peak=0 i start pid shown tries
    for ((i = 0; i < runs; i++)); do
        start=$(date +%s%N)
        "$1" &
        pid=$!
        for ((tries = 0; tries < 2000; tries++)); do
            xdotool search --onlyvisible --name "^$2\$" >/dev/null 2>&1 && break
            sleep 0.005
        done
        times+=($((($(date +%s%N) - start) / 1000000)))
        sleep 0.3
        shown=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
        ((shown > peak)) && peak=$shown
        kill "$pid"
        wait "$pid" 2>/dev/null || true
    done
    echo "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$((runs / 2 + 1))p") $peak"
}

read -r app_ms app_kib < <(measure "$app" 'Zendrel to Orvanel Session Converter')
read -r bare_ms bare_kib < <(measure "$bare" 'Bare Qt Window')
echo "z2o:           ${app_ms} ms to a shown window (median of $runs), peak ${app_kib} KiB"
echo "bare Qt window: ${bare_ms} ms, peak ${bare_kib} KiB"
awk -v a="$app_ms" -v b="$bare_ms" -v c="$app_kib" -v d="$bare_kib" \
    'BEGIN { printf "ratio: %.2fx the time, %.2fx the memory\n", a / b, c / d }'
