#!/usr/bin/env bash
# Every test: builds the Windows plugin and the Linux build, then runs the
# whole suite, the checks of the shipped Pallbrook.asi, of the players' zip and
# the Wine runs included.
# Then the Linux suite again under AddressSanitizer and UndefinedBehaviorSanitizer
# (no recovery: any report fails its test), and the settings fuzzers for a fixed
# number of executions each (tools/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

cmake --preset windows >/dev/null
cmake --build --preset windows
# The players' zip, Pallbrook-<version>.zip, which the package tests unpack.
cmake --build --preset windows --target package
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

bash tools/fuzz.sh
