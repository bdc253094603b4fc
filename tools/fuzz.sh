#!/usr/bin/env bash
# Fuzzes the settings, capture and scenario readers with libFuzzer: builds the `fuzz` preset (clang,
# AddressSanitizer, UndefinedBehaviorSanitizer) and runs each target from its
# seeds for a fixed number of executions, with a fixed random seed, so that a
# run can be repeated. Any crash, sanitizer report, leak, timeout or broken
# check fails; the failing input is saved under build/fuzz/artifacts/.
#
#   bash tools/fuzz.sh               the amounts that CI runs (about two minutes)
#   bash tools/fuzz.sh --scale 100   a longer run: 100 times those amounts
#   bash tools/fuzz.sh --runs 1000000 --seed 7
#                                    the same number of executions for every
#                                    target, and another random seed
#
# Replay one input:  build/fuzz/tests/fuzz/fuzz_<target> <file>
set -euo pipefail
cd "$(dirname "$0")/.."

# Executions per target for CI: together about two minutes on two cores.
declare -A ci_runs=([ini_reader]=100000 [load_settings]=60000 [classify_line]=400000
                    [numbers]=400000 [capture_reader]=60000 [scenario_reader]=60000)
declare -A max_len=([ini_reader]=4096 [load_settings]=4096 [classify_line]=1024 [numbers]=128
                    [capture_reader]=8192 [scenario_reader]=8192)
# The settings targets share the settings dictionary.
declare -A dict=([capture_reader]=capture.dict [scenario_reader]=scenario.dict)
targets=(ini_reader load_settings classify_line numbers capture_reader scenario_reader)

scale=1
runs=""
seed=1
while [ $# -gt 0 ]; do
    case "$1" in
    --scale) scale="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    *) echo "usage: tools/fuzz.sh [--scale N | --runs N] [--seed N]" >&2; exit 2 ;;
    esac
done

# One run at a time: a second waits, rather than sharing the build folder.
mkdir -p build
exec 9>build/fuzz.lock
flock 9

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

build=$PWD/build/fuzz
bin=$build/tests/fuzz
artifacts=$build/artifacts
rm -rf "$artifacts" "$build/corpus" "$build/logs"
mkdir -p "$artifacts" "$build/logs"

# The loadSettings target writes its settings file in a scratch folder under
# TMPDIR: memory-backed where the machine has it.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

failed=0
total_start=$(date +%s.%N)
printf '%-14s %12s %9s %8s %8s\n' target executions seconds exec/s corpus
for target in "${targets[@]}"; do
    n=${runs:-$((ci_runs[$target] * scale))}
    # libFuzzer reads seeds from folders only: the working corpus starts as a
    # copy of the seed files and folders, and takes what the run finds.
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    while IFS= read -r seed_path; do
        [ -z "$seed_path" ] && continue
        if [ -d "$seed_path" ]; then
            cp "$seed_path"/* "$corpus"/
        else
            cp "$seed_path" "$corpus"/
        fi
    done <"$bin/fuzz_$target.seeds"
    log=$build/logs/$target.log
    start=$(date +%s.%N)
    status=0
    "$bin/fuzz_$target" -runs="$n" -seed="$seed" -max_len="${max_len[$target]}" -timeout=10 \
        -dict="$PWD/tests/fuzz/${dict[$target]:-settings.dict}" -artifact_prefix="$artifacts/$target-" \
        -print_final_stats=1 "$corpus" >"$log" 2>&1 || status=$?
    end=$(date +%s.%N)
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    printf '%-14s %12s %9s %8s %8s\n' "$target" "${executed:-?}" "$seconds" "${rate:-?}" \
        "$(find "$corpus" -type f | wc -l)"
    if [ "$status" -ne 0 ] || [ -n "$(ls -A "$artifacts")" ] ||
        grep -qE 'ERROR: (AddressSanitizer|UndefinedBehaviorSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
        echo "fuzz: $target FAILED (exit $status); log $log:" >&2
        grep -E 'check failed|ERROR:|runtime error:|SUMMARY:|Test unit written|^Base64:' "$log" >&2 || tail -20 "$log" >&2
        failed=1
    fi
done
total_end=$(date +%s.%N)
echo "fuzz: all targets in $(awk -v a="$total_start" -v b="$total_end" 'BEGIN { printf "%.0f", b - a }') s"
if [ "$failed" -ne 0 ]; then
    echo "fuzz: failing inputs in $artifacts; replay one with $bin/fuzz_<target> <file>" >&2
    exit 1
fi
