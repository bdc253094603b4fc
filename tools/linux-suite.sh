#!/usr/bin/env bash
# Builds the Windows plugin, the players' zip and the Linux build, then runs
# the Linux suite with ctest: the checks of the shipped Pallbrook.asi and of
# the zip, and the runs under Wine, included. Part of tools/test.sh, and what
# the Debian 13 job runs after the main job (tools/debian13/run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows >/dev/null
cmake --build --preset windows
# The players' zip, Pallbrook-<version>.zip, which the package tests unpack.
cmake --build --preset windows --target package
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux
