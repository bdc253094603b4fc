#!/usr/bin/env bash
# The main job: builds Pallbrook.asi and plays the plugin in the stand-in host.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

cmake --preset windows >/dev/null
cmake --build --preset windows --target Pallbrook
cmake --preset linux >/dev/null
cmake --build --preset linux --target pallbrook-sim
echo
echo "Pallbrook.asi: build/windows/Pallbrook.asi ($(stat -c %s build/windows/Pallbrook.asi) bytes)"
build/linux/tools/pallbrook-sim "$@"
