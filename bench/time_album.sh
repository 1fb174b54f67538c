#!/usr/bin/env bash
# Times z2o-convert --album on an album of 1,000 sessions of 100 steps each, and z2o-convert on
# the folder that holds them, against cp of the same 1,000 sessions, in the same run.
# Usage: bench/time_album.sh PATH/TO/z2o-convert
set -euo pipefail
cli=$(realpath "$1")
make_session="$(dirname "$cli")/z2o-make-session"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/sessions" "$work/copies"

echo "step duration=1:00.0 start=10,3,20,9,150 end=20,15,10,2,170 channel=0x28 option=0x01 repeat=100" \
    >"$work/session.txt"
"$make_session" "$work/session.txt" "$work/sessions/S0000.ZS2"
for i in $(seq -w 1 999); do cp "$work/sessions/S0000.ZS2" "$work/sessions/S0$i.ZS2"; done
(cd "$work/sessions" && ls ./*.ZS2 | sed 's|^\./||') >"$work/sessions/All.ZA2"

runs=3
# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"

run_ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
# Album and folder runs take turns, so that a busy moment of the machine hits both alike.
album_ms= folder_ms=
for i in 1 2 3 4 5; do
    ms=$(run_ms "$cli" --album "$work/sessions/All.ZA2")
    if [ -z "$album_ms" ] || [ "$ms" -lt "$album_ms" ]; then album_ms=$ms; fi
    ms=$(run_ms "$cli" "$work/sessions")
    if [ -z "$folder_ms" ] || [ "$ms" -lt "$folder_ms" ]; then folder_ms=$ms; fi
done
cp_ms=$(best_ms cp "$work"/sessions/*.ZS2 "$work/copies/")
echo "z2o-convert --album (1,000 x 100 steps): ${album_ms} ms"
echo "z2o-convert FOLDER (the same sessions):  ${folder_ms} ms"
echo "cp of the same 1,000 sessions:          ${cp_ms} ms"
awk -v a="$album_ms" -v b="$cp_ms" 'BEGIN { printf "ratio: %.1fx cp\n", a / b }'
awk -v f="$folder_ms" -v a="$album_ms" 'BEGIN { printf "folder: %.2fx --album\n", f / a }'
