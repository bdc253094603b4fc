#!/usr/bin/env bash
# Prints the line that says which machine a figure was measured on: the
# processor's model and clock, its cores, the compiler and the system, e.g.
# "AMD EPYC at 2.7 GHz, 2 cores, g++ 12.2.0, Debian GNU/Linux 12 (bookworm)".
set -euo pipefail
model=$(awk -F': *' '/^model name/ { print $2; exit }' /proc/cpuinfo 2>/dev/null || true)
clock=$(awk -F': *' '/^cpu MHz/ { printf " at %.1f GHz", $2 / 1000; exit }' /proc/cpuinfo 2>/dev/null || true)
system=$(. /etc/os-release 2>/dev/null && echo "${PRETTY_NAME:-}" || true)
echo "${model:-an unknown processor}${clock}, $(nproc) cores, g++ $(g++ -dumpfullversion 2>/dev/null || echo '?'), ${system:-an unknown system}"
