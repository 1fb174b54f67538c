#!/usr/bin/env bash
# Every whole-process comparison of z2o against a standard tool doing the same work, timed by
# hyperfine and peak memory by /usr/bin/time -f %M, printed as one table of ratios (what each row
# compares and why: bench/README.md).
# Usage: bench/compare.sh [BUILD_DIR] [--quick]
#   --quick  fewer runs and no 10,000-session library: a look, not a figure to report
set -euo pipefail
build=$(realpath "${1:-build}")
quick=${2:-}
bench=$(cd "$(dirname "$0")" && pwd)
for tool in hyperfine jq strace /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing" >&2; exit 2; }
done
# The window's rows need an X server: a virtual one that does not reset between clients.
if [ -z "${DISPLAY:-}" ] && [ -z "${Z2O_UNDER_XVFB:-}" ] && command -v xvfb-run >/dev/null; then
    Z2O_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/z2o-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
convert=$build/z2o-convert
make_session=$build/z2o-make-session
minimal_replace=$build/bench/z2o_minimal_replace
[ -x "$minimal_replace" ] || { echo "compare.sh: $minimal_replace is missing" >&2; exit 2; }

rounds=5 runs=10 library_rounds=5
[ "$quick" = --quick ] && rounds=2 runs=5 library_rounds=2

# Sets MEDIANS to each command's median seconds over all its runs. hyperfine runs one command's
# runs in a row, so each comparison is ROUNDS hyperfine calls, between which the commands take
# turns: a busy moment of the machine falls on all of them alike.
medians() {  # ROUNDS RUNS COMMAND...
    local rounds=$1 count=$2 r k
    shift 2
    : >"$work/times"
    for ((r = 0; r < rounds; r++)); do
        if ! hyperfine -N --style none --warmup 1 --runs "$count" \
            --export-json "$work/round.json" "$@" >/dev/null 2>"$work/hyperfine.err"; then
            cat "$work/hyperfine.err" >&2
            exit 1
        fi
        jq -r '.results | to_entries[] | .key as $k | .value.times[] | "\($k) \(.)"' \
            "$work/round.json" >>"$work/times"
    done
    MEDIANS=()
    for ((k = 0; k < $#; k++)); do
        MEDIANS+=("$(awk -v k="$k" '$1 == k { print $2 }' "$work/times" | sort -g |
            awk '{ t[NR] = $1 } END { print NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }')")
    done
}

peak_kib() {  # COMMAND...: the largest peak resident memory of three runs, in KiB
    local peak=0 kib i
    for i in 1 2 3; do
        /usr/bin/time -o "$work/peak" -f '%M' "$@" >/dev/null 2>&1
        kib=$(tail -1 "$work/peak")
        if ((kib > peak)); then peak=$kib; fi
    done
    echo "$peak"
}

printf '%-50s %11s %11s %7s  %s\n' comparison z2o baseline ratio target
row() {  # WHAT Z2O BASELINE UNIT TARGET: one line, the ratio z2o / baseline
    awk -v what="$1" -v a="$2" -v b="$3" -v unit="$4" -v target="$5" 'BEGIN {
        if (unit == "ms") { a *= 1000; b *= 1000 }
        printf "%-50s %8.1f %-2s %8.1f %-2s %6.2fx  %s\n", what, a, unit, b, unit, a / b, target }'
}

# ---- One large session: 8,000 steps with both ramps, 32,000 records, 3,488,000 bytes ----
# --rewrite, so that every run writes and syncs its target: a plain re-run finds it up to date.
echo "step duration=15:00.0 start=10,3,20,9,150 end=20,15,10,2,170 channel=0x7C option=0x0B repeat=8000" \
    >"$work/large.txt"
mkdir -p "$work/one"
"$make_session" "$work/large.txt" "$work/one/Large.ZS2"
"$convert" "$work/one/Large.ZS2" >/dev/null
# The baselines write the target's own bytes; each copy replaces the last, as the target does.
cp "$work/one/Large.OSw" "$work/one/payload.bin"
medians "$rounds" "$runs" "$convert --rewrite $work/one/Large.ZS2" \
    "cp $work/one/payload.bin $work/one/copy.bin" \
    "dd if=$work/one/payload.bin of=$work/one/synced.bin bs=4M conv=fsync status=none" \
    "$minimal_replace $work/one/payload.bin $work/one/replaced.bin"
row "8,000-step session vs cp" "${MEDIANS[0]}" "${MEDIANS[1]}" ms "at most 2x"
row "8,000-step session vs dd conv=fsync" "${MEDIANS[0]}" "${MEDIANS[2]}" ms "at most 1.25x"
row "8,000-step session vs a minimal synced replace" "${MEDIANS[0]}" "${MEDIANS[3]}" ms "at most 1.2x"
row "8,000-step session, peak memory vs cp" \
    "$(peak_kib "$convert" --rewrite "$work/one/Large.ZS2")" \
    "$(peak_kib cp "$work/one/payload.bin" "$work/one/copy.bin")" KiB "under 4096 KiB"

# ---- Libraries of sessions of 100 steps in folders of 50 ----
echo "step duration=1:00.0 start=10,3,20,9,150 end=20,15,10,2,170 channel=0x28 option=0x01 repeat=100" \
    >"$work/small.txt"
"$make_session" "$work/small.txt" "$work/small.ZS2"
# What a re-run of an unchanged library calls, printed under the table.
calls=$work/calls
: >"$calls"
library() {  # SESSIONS FOLDERS ROUNDS NAME TARGET [RERUN]: one run of each command a round
    local lib=$work/lib$1 f s
    for ((f = 0; f < $2; f++)); do
        mkdir -p "$lib/F$f"
        for ((s = 0; s < $1 / $2; s++)); do
            cp "$work/small.ZS2" "$lib/F$f/S$s.ZS2"
        done
    done
    (cd "$lib" && find . -name '*.ZS2' | sort) >"$lib.ZA2"
    sed -i "s|^\./|$lib/|" "$lib.ZA2"
    "$convert" --quiet "$lib" >/dev/null
    # The tree cp copies: the same target bytes in the same folders, without the sources.
    cp -r "$lib" "$lib.targets"
    find "$lib.targets" -name '*.ZS2' -delete
    mkdir -p "$lib.copy"
    # Replacing every target: --rewrite, as a plain run leaves the unchanged ones alone.
    medians "$3" 1 "$convert --rewrite --quiet $lib" "sh -c 'cp -r $lib.targets/. $lib.copy/ && sync'" \
        "$convert --rewrite --quiet --album $lib.ZA2"
    row "$4, replaced, vs cp -r + sync" "${MEDIANS[0]}" "${MEDIANS[1]}" ms "$5"
    row "the same as an album vs the folder" "${MEDIANS[2]}" "${MEDIANS[0]}" ms "-"
    if [ -n "${6:-}" ]; then
        # Every target is up to date: a plain run reads and compares, and writes nothing.
        medians "$3" 1 "$convert --quiet $lib" "$convert --rewrite --quiet $lib"
        row "$4, re-run, vs --rewrite" "${MEDIANS[0]}" "${MEDIANS[1]}" ms "at most 0.25x"
        local traced=write,pwrite64,fsync,fdatasync,syncfs,sync,linkat,renameat,renameat2,rename
        strace -f -c -o "$work/strace" -e trace="$traced" "$convert" --quiet "$lib" >/dev/null
        {
            echo
            echo "A re-run of the unchanged $4, its writes, syncs and names (strace -f -c):"
            cat "$work/strace"
            # Each call with the file it went to (-y), to show that none reached a target.
            strace -f -y -o "$work/strace" -e trace="$traced" "$convert" --quiet "$lib" >/dev/null
            echo "Each of them (strace -f -y):"
            head -20 "$work/strace"
        } >>"$calls"
    fi
    rm -rf "$lib" "$lib.targets" "$lib.copy" "$lib.ZA2"
}
if [ "$quick" = --quick ]; then
    library 1000 20 "$library_rounds" "1,000 sessions in 20 folders" "at most 1.1x" rerun
else
    library 1000 20 "$library_rounds" "1,000 sessions in 20 folders" "at most 1.1x"
    library 10000 200 2 "10,000 sessions in 200 folders" "at most 1.15x" rerun
fi

# ---- z2o-inspect against the conversion that wrote what it reads ----
# Steps without ramps give one record each: 32,000 records.
echo "step duration=0:10.0 start=10,3,20,9,150 end=20,15,10,2,170 option=0x01 repeat=32000" \
    >"$work/flat.txt"
"$make_session" "$work/flat.txt" "$work/one/Flat.ZS2"
"$convert" "$work/one/Flat.ZS2" >/dev/null
medians "$rounds" "$runs" "$build/z2o-inspect --format csv $work/one/Flat.OSw" "$convert $work/one/Flat.ZS2"
row "z2o-inspect --format csv vs z2o-convert, 32,000" "${MEDIANS[0]}" "${MEDIANS[1]}" ms "-"

# ---- The window: from the start to a window on the screen, against a stock Qt window ----
shown=$build/bench/z2o_until_shown
if [ -x "$build/z2o" ] && [ -x "$shown" ] && [ -n "${DISPLAY:-}" ]; then
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        export XDG_RUNTIME_DIR=$work/runtime
        mkdir -m 700 "$XDG_RUNTIME_DIR"
    fi
    medians "$rounds" "$runs" "$shown $build/z2o" "$shown $build/bench/z2o_stock_window"
    row "window start vs a stock Qt window" "${MEDIANS[0]}" "${MEDIANS[1]}" ms "at most 1.1x"
    # Its memory once shown and settled.
    row "window start, peak memory vs a stock Qt window" \
        "$(peak_kib "$shown" --settle 300 "$build/z2o")" \
        "$(peak_kib "$shown" --settle 300 "$build/bench/z2o_stock_window")" KiB "at most 1.1x"
else
    echo "(no window rows: needs the window, bench/z2o_until_shown and an X server)"
fi
cat "$calls"
