# The bash completions: each is our function, completes options, their values and the files its
# program takes, and offers exactly the long options that the program's --help names. Each runs
# with bash-completion loaded and without it; exit status 77 (skipped) when it is not installed,
# after the runs without it have passed.
# Usage: bash completion_test.sh COMPLETION-FOLDER NAME=PROGRAM...   (PROGRAM empty: not built)
set -u

if [[ ${1-} != --in ]]; then
    library=
    for candidate in /usr/share/bash-completion/bash_completion \
        /usr/local/share/bash-completion/bash_completion; do
        [[ -r $candidate ]] && library=$candidate && break
    done
    bash --norc --noprofile "$0" --in "" "$@" || exit 1
    [[ -n $library ]] || { echo "bash-completion is not installed: tested without it only"; exit 77; }
    bash --norc --noprofile "$0" --in "$library" "$@" || exit 1
    exit 0
fi

# One run: --in LIBRARY-OR-EMPTY COMPLETION-FOLDER NAME=PROGRAM...
library=$2 completions=$(cd "$3" && pwd)
shift 3
pairs=()
for pair; do  # the programs named from here, for the run in a folder of its own
    [[ $pair == *=/* || $pair == *= ]] || pair=${pair%%=*}=$PWD/${pair#*=}
    pairs+=("$pair")
done
if [[ -n $library ]]; then
    # shellcheck disable=SC1090
    source "$library"
fi
mode=${library:+with bash-completion}
mode=${mode:-without bash-completion}
failed=0
fail() {
    echo "FAIL ($mode): $*" >&2
    failed=1
}

# What completing the last of these words offers, sorted, on one line.
offered() {
    local function
    function=$(complete -p "$1" 2>/dev/null | sed -n 's/.* -F \([^ ]*\) .*/\1/p')
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' '
}

expect() {  # WANT WORD...
    local want=$1 got
    shift
    got=$(offered "$@")
    [[ $got == "$want" ]] || fail "'$*' offered '$got', not '$want'"
}

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
mkdir sub
touch a.ZS2 b.txt c.zs2 e.ZA2 f.za2 g.OSw h.osw sub/-x.ZS2

for pair in "${pairs[@]}"; do
    name=${pair%%=*} program=${pair#*=}
    # shellcheck disable=SC1090
    source "$completions/$name"
    function=_${name//-/_}
    [[ $(complete -p "$name" 2>/dev/null) == "complete -F $function $name" ]] ||
        fail "complete -p $name: '$(complete -p "$name" 2>&1)'"
    if [[ -n $program ]]; then
        want=$("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u | paste -sd ' ')
        expect "$want" "$name" --
    fi
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
exit $failed
