#!/usr/bin/env bash
# Every test: builds the Windows plugin and the Linux build, then runs the
# whole suite, the checks of the shipped Pallbrook.asi and the Wine runs included.
# Then the Linux suite again under AddressSanitizer and UndefinedBehaviorSanitizer
# (no recovery: any report fails its test), and the settings fuzzers for a fixed
# number of executions each (tools/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

bash tools/fuzz.sh
