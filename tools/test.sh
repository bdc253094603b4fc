#!/usr/bin/env bash
# Every test: checks that the C++ files are formatted as .clang-format says,
# builds the Windows plugin and the Linux build, then runs the whole suite, the
# checks of the shipped Pallbrook.asi (built a second time elsewhere, to the
# same bytes), of the players' zip and the Wine runs included.
# Then the Linux suite again under AddressSanitizer and UndefinedBehaviorSanitizer
# (no recovery: any report fails its test), and the fuzzers of the settings and
# capture readers for a fixed number of executions each (tools/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
bash tools/check-format.sh

cmake --preset windows >/dev/null
cmake --build --preset windows
# The players' zip, Pallbrook-<version>.zip, which the package tests unpack.
cmake --build --preset windows --target package
cmake --preset linux >/dev/null
cmake --build --preset linux
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
ctest --preset linux | tee "$logs/linux"

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan | tee "$logs/asan"

bash tools/fuzz.sh | tee "$logs/fuzz"

# One closing line for the whole run: every ctest test of both builds, and
# each fuzz target (a failure of any of them has already stopped the run).
ran=$(grep -h -o 'tests failed out of [0-9]*' "$logs/linux" "$logs/asan" | awk '{ n += $5 } END { print n + 0 }')
targets=$(grep -c -E '^[a-z_]+ +[0-9]+ +[0-9.]+ ' "$logs/fuzz" || true)
echo "all: $((ran + targets)) passed, 0 failed"
