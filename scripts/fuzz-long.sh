#!/usr/bin/env bash
# Long fuzzing, outside the test command: every fuzz target for a given time (or a
# given number of executions), two at a time on a two-core machine, each keeping its
# corpus between runs in build/fuzz/long/<target>/corpus. Prints a table of
# executions, coverage, corpus size and findings; any finding is left as a crash-*,
# leak-* or timeout-* file in build/fuzz/long/<target>/ and makes the script fail.
#   scripts/fuzz-long.sh [--seconds N | --runs N] [--jobs N] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=600 runs="" jobs=2 targets=()
while [[ $# -gt 0 ]]; do
    case $1 in
        --seconds) seconds=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --jobs) jobs=$2; shift 2 ;;
        -*) echo "unknown option $1" >&2; exit 2 ;;
        *) targets+=("$1"); shift ;;
    esac
done
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
bin=build/fuzz/bin
[[ ${#targets[@]} -gt 0 ]] || mapfile -t targets < <(cd "$bin" && ls fuzz_* | sort)
limit=(-max_total_time="$seconds")
[[ -n $runs ]] && limit=(-runs="$runs")

run_one() {  # target
    local name=$1 work=build/fuzz/long/$1 seeds=tests/fuzz/corpus/${1#fuzz_} dict=()
    mkdir -p "$work/corpus"
    [[ -f tests/fuzz/${1#fuzz_}.dict ]] && dict=(-dict="tests/fuzz/${1#fuzz_}.dict")
    "$bin/$name" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/" "${dict[@]}" "$work/corpus" "$seeds" >"$work/log.txt" 2>&1 || true
}

running=0
for t in "${targets[@]}"; do
    run_one "$t" &
    running=$((running + 1))
    if ((running >= jobs)); then wait -n; running=$((running - 1)); fi
done
wait

status=0
printf '%-14s %14s %8s %8s %8s %s\n' target executions exec/s edges corpus findings
for t in "${targets[@]}"; do
    work=build/fuzz/long/$t
    execs=$(awk '/stat::number_of_executed_units/ {print $2}' "$work/log.txt" | tail -n1)
    rate=$(awk '/stat::average_exec_per_sec/ {print $2}' "$work/log.txt" | tail -n1)
    edges=$(grep -o 'cov: [0-9]*' "$work/log.txt" | tail -n1 | awk '{print $2}')
    corpus=$(find "$work/corpus" -type f | wc -l)
    findings=$(find "$work" -maxdepth 1 \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
    ((findings == 0)) || status=1
    printf '%-14s %14s %8s %8s %8s %s\n' "$t" "${execs:-?}" "${rate:-?}" "${edges:-?}" "$corpus" "$findings"
done
exit $status
