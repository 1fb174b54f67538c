#!/usr/bin/env bash
# Runs a test program under Wine: wine-retry.sh WINE PROGRAM [ARG...]. A busy Wine now and then
# fails to start a program at all: it exits at once with an error, having printed nothing. Such a
# start is tried again, twice at most. A program that ran prints something (every test does), so
# its failure stands at once, and a failure that repeats three times stands too.
set -u
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2 3; do
    "$@" >"$out" 2>"$err"
    rc=$?
    if [ "$rc" -eq 0 ] || [ -s "$out" ] || [ -s "$err" ] || [ "$attempt" -eq 3 ]; then
        break
    fi
    echo "wine-retry: $2 exited with $rc before printing anything; starting it again" >&2
done
cat "$out"
cat "$err" >&2
exit "$rc"
