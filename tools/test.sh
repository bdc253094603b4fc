#!/usr/bin/env bash
# Every test: builds the Windows plugin and the Linux build, then runs the
# whole suite, the checks of the shipped Pallbrook.asi and the Wine runs included.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux
