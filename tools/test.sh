#!/usr/bin/env bash
# Every test: checks that the C++ files are formatted as .clang-format says,
# builds the Windows plugin and the Linux build, then runs the whole suite, the
# checks of the shipped Pallbrook.asi (built a second time elsewhere, to the
# same bytes), of the players' zip and the Wine runs included
# (tools/linux-suite.sh).
# Then the Linux suite again under AddressSanitizer and UndefinedBehaviorSanitizer
# (no recovery: any report fails its test), the fuzzers of the settings,
# capture and scenario readers for a fixed number of executions each
# (tools/fuzz.sh), and last the main job and the Linux suite once more on
# Debian 13, in a chroot (tools/debian13/run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
# part NAME COMMAND...: runs a part of the run, its output also kept in
# $logs/NAME, and notes its time in seconds for the figures.
part() {
    local name=$1 start=$SECONDS
    shift
    "$@" | tee "$logs/$name"
    echo "$name $((SECONDS - start))" >>"$logs/times"
}
asan_suite() {
    cmake --preset asan >/dev/null
    cmake --build --preset asan
    ctest --preset asan
}
part setup bash tools/setup.sh
part format bash tools/check-format.sh
part Linux bash tools/linux-suite.sh
part sanitizers asan_suite
part fuzzing bash tools/fuzz.sh
part Debian-13 bash tools/debian13/run.sh

# One closing line for the whole run: every ctest test of the builds, and
# each fuzz target (a failure of any of them has already stopped the run).
out_of() { grep -h -o 'tests failed out of [0-9]*' "$@" | awk '{ n += $5 } END { print n + 0 }'; }
fuzz_rows=$(grep -E '^[a-z_]+ +[0-9]+ +[0-9.]+ ' "$logs/fuzzing" || true)
targets=$(grep -c . <<<"$fuzz_rows" || true)
echo "all: $(($(out_of "$logs/Linux" "$logs/sanitizers" "$logs/Debian-13") + targets)) passed, 0 failed"

# The figures of this run, which bench/figures.sh writes into docs/testing.md:
# the tests of each build, the soak's seeds summed from ctest's log of each
# build, and the fuzz targets' executions.
soak_sums() {
    awk '/^seed [0-9]+: [0-9]+ frames/ { seeds++ }
        /^frames [0-9]+, script iterations/ { frames += $2 }
        /^pick-ups started/ { pickups += $3; completed += $NF }
        /^drags ended early:/ {
            n = split(substr($0, 19), item, ";")
            for (i = 1; i <= n; i++) if (match(item[i], /[0-9]+ *$/)) early += substr(item[i], RSTART)
        }
        /^faults injected \(/ { match($0, /\([0-9]+\)/); faults += substr($0, RSTART + 1, RLENGTH - 2) }
        /^time [0-9.]+ s$/ { seconds += $2 }
        END { printf "%d %d %d %d %d %d %.1f\n", seeds, frames, pickups, completed, early, faults, seconds }' "$1"
}
linux_soak=$(soak_sums build/linux/Testing/Temporary/LastTest.log)
asan_soak=$(soak_sums build/asan/Testing/Temporary/LastTest.log)
{
    bash tools/measured.sh "bash tools/test.sh"
    echo "table: suite|what ran|passed|failed"
    echo "Linux $(out_of "$logs/Linux") 0"
    echo "sanitizers $(out_of "$logs/sanitizers") 0"
    echo "fuzzing $targets 0"
    echo "Debian-13 $(out_of "$logs/Debian-13") 0"
    echo "table: time|part|seconds"
    cat "$logs/times"
    echo "table: soak|build|seeds|frames|pick-ups|drags completed|ended early|faults injected|seconds"
    echo "Linux $linux_soak"
    echo "sanitizers $asan_soak"
    echo "table: fuzz|target|executions|seconds|executions a second|corpus"
    echo "$fuzz_rows"
} >build/test-figures.txt
for soak in "Linux $linux_soak" "sanitizers $asan_soak"; do
    read -r build seeds frames pickups completed early faults seconds <<<"$soak"
    echo "figures: soak, $build build: $seeds seeds, $frames frames, $pickups pick-ups, $completed drags" \
        "completed, $early ended early, $faults faults injected, $seconds s"
done
awk '{ runs += $2; seconds += $3 } END { printf "figures: fuzz: %d targets, %d executions, %.1f s\n", NR, runs, seconds }' <<<"$fuzz_rows"
echo "figures: saved in build/test-figures.txt; bash bench/figures.sh testing writes them into docs/testing.md"
