# Shared by the timing scripts: source it.

best_ms() {  # COMMAND...: the best of $runs runs (five unless set), in milliseconds
    local best= i start end ms
    for ((i = 0; i < ${runs:-5}; i++)); do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || true
        end=$(date +%s%N)
        ms=$(((end - start) / 1000000))
        if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    done
    echo "$best"
}
