#!/usr/bin/env bash
# Prints the line that opens every block of measured figures in docs/: when,
# on which machine (the processor's model and clock, its cores, the compiler
# and the system) and at which commit, and the command that measured them:
#   Measured 2026-12-08 15:41 UTC on AMD EPYC at 2.7 GHz, 2 cores, g++ 12.2.0,
#   Debian GNU/Linux 12 (bookworm), at commit 5886120, by `COMMAND`.
# Usage: tools/measured.sh COMMAND
set -euo pipefail
cd "$(dirname "$0")/.."
model=$(awk -F': *' '/^model name/ { print $2; exit }' /proc/cpuinfo 2>/dev/null || true)
clock=$(awk -F': *' '/^cpu MHz/ { printf " at %.1f GHz", $2 / 1000; exit }' /proc/cpuinfo 2>/dev/null || true)
system=$(. /etc/os-release 2>/dev/null && echo "${PRETTY_NAME:-}" || true)
machine="${model:-an unknown processor}${clock}, $(nproc) cores, g++ $(g++ -dumpfullversion 2>/dev/null || echo '?'), ${system:-an unknown system}"
# A source tree unpacked inside another repository is no checkout of its own.
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
    commit=$(git rev-parse --short HEAD)
else
    commit="of no git checkout"
fi
# The docs do not change what is measured, and bench/figures.sh writes them.
if [ -n "$(git status --porcelain --untracked-files=no -- . ':(exclude)docs' 2>/dev/null)" ]; then
    commit="$commit with changes not committed"
fi
echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $machine, at commit $commit, by \`$1\`."
