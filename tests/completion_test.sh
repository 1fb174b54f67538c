# The bash completions, without bash-completion and then with it: each is our function, completes
# options, their values and the files its program takes, and offers exactly the long options of
# the program's --help. Exit status 77 (skipped) when bash-completion is not installed.
# Usage: bash --norc completion_test.sh COMPLETION-FOLDER NAME=ABSOLUTE-PROGRAM-OR-EMPTY...
# shellcheck disable=SC1090 # the files sourced are named at run time
set -u
completions=$1
shift
library=/usr/share/bash-completion/bash_completion

# What completing the last of these words offers, sorted, on one line.
offered() {
    COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*" COMP_POINT=${#COMP_LINE} COMPREPLY=()
    "$(complete -p "$1" | sed 's/.* -F \([^ ]*\) .*/\1/')" "$1" "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
    ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' '
}

fail() {
    echo "FAIL ($mode): $*" >&2
    failed=1
}

expect() {  # WANT WORD...
    local want=$1 got
    shift
    got=$(offered "$@")
    [[ $got == "$want" ]] || fail "'$*' offered '$got', not '$want'"
}

checks() {
    local pair name program
    failed=0
    for pair; do
        name=${pair%%=*} program=${pair#*=}
        source "$completions/$name" || return 1
        [[ $(complete -p "$name") == "complete -F _${name//-/_} $name" ]] || fail "complete -p $name"
        [[ -z $program ]] || expect "$("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u |
            paste -sd ' ')" "$name" --
    done
    expect "--ramp-time" z2o-convert --ra
    expect "0 1 10 2 3 4 5 6 7 8 9" z2o-convert -r ""
    expect "1 10" z2o-convert --ramp-time=1
    expect "a.ZS2 c.zs2 sub" z2o-convert ""
    expect "e.ZA2 f.za2 sub" z2o-convert -q --album ""
    expect "sub/-x.ZS2" z2o-convert -- sub/-
    expect "csv" z2o-inspect -f c
    expect "json" z2o-inspect --format=j
    expect "a.ZS2 c.zs2 g.OSw h.osw sub" z2o-inspect ""
    expect "a.ZS2 c.zs2 e.ZA2 f.za2 sub" z2o ""
    expect "Fusion" z2o -style F
    return $failed
}

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" && mkdir sub && touch a.ZS2 b.txt c.zs2 e.ZA2 f.za2 g.OSw h.osw sub/-x.ZS2 || exit 1
(mode="without bash-completion" && checks "$@") || exit 1
[[ -r $library ]] || { echo "bash-completion is not installed: tested without it only"; exit 77; }
(mode="with bash-completion" && source "$library" && checks "$@") || exit 1
