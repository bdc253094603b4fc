#!/usr/bin/env bash
# The long soak: ten million frames, ten seeds of a million each, in the
# release build, two seeds at a time. Usage: tests/soak/long_soak.sh [FIRST_SEED]
# (seeds FIRST_SEED to FIRST_SEED+9, 1 by default). PALLBROOK_SOAK_BUILD names
# another build folder that has pallbrook-soak built.
set -euo pipefail
cd "$(dirname "$0")/../.."
first=${1:-1}
build=${PALLBROOK_SOAK_BUILD:-}
if [ -z "$build" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release --target pallbrook-soak
    build=build/release
fi
soak=$build/tests/soak/pallbrook-soak
log=$(mktemp -d)
"$soak" --seed "$first" --seeds 5 --frames 1000000 >"$log/a.txt" &
"$soak" --seed $((first + 5)) --seeds 5 --frames 1000000 >"$log/b.txt" &
status=0
wait %1 || status=1
wait %2 || status=1
cat "$log/a.txt" "$log/b.txt"
rm -rf "$log"
exit $status
