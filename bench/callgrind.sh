#!/usr/bin/env bash
# Instructions per frame of the plugin and of its floor (the same host calls
# with the same words, issued by a plain loop), counted by callgrind. The
# counts are exact and repeat from run to run, so a change can be compared on
# a busy machine where timings cannot.
#
#   bench/callgrind.sh [BUILD_DIR [SCENE...]]
#
# BUILD_DIR defaults to build/release (cmake --preset release && cmake --build
# --preset release); the scenes default to the 1024-ped idle frames and the
# dragging frames. "own" is what is left after the host calls (nativeInit,
# nativePush64, nativeCall and worldGetAllPeds, with all they run inside),
# that is the instructions of the plugin's code, or of the floor's loop.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
shift || true
scenes=("$@")
if [ ${#scenes[@]} -eq 0 ]; then
    scenes=(idle/1024/none_qualify idle/1024/all_qualify idle/1024/first_filter
            dragging/keyboard dragging/stick)
fi
driver=$build/bench/pallbrook_frame_instructions
frames=4
[ -x "$driver" ] || {
    echo "no $driver: build it with cmake --build --preset release" >&2
    exit 1
}
command -v valgrind >/dev/null || {
    echo "valgrind is not installed" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source bench/callgrind_count.sh

# Instructions inside measuredFrame, and inside the host functions it called.
count() {
    callgrind_count "$work" "$1" "$driver" "$1" "$2" "$frames"
}

printf '%-24s %7s %12s %12s %7s %11s %11s\n' scene natives plugin floor ratio "plugin own" "floor own"
for scene in "${scenes[@]}"; do
    count plugin "$scene" >"$work/plugin.counts"
    count floor "$scene" >"$work/floor.counts"
    read -r plugin pluginHost <"$work/plugin.counts"
    read -r floor floorHost <"$work/floor.counts"
    natives=$(sed -n 's/.* natives=\([0-9]*\).*/\1/p' "$work/plugin.stdout")
    awk -v s="$scene" -v n="$natives" -v f="$frames" -v p="$plugin" -v ph="$pluginHost" \
        -v q="$floor" -v qh="$floorHost" 'BEGIN {
        printf "%-24s %7d %12.0f %12.0f %7.3f %11.0f %11.0f\n", s, n, p / f, q / f, p / q,
            (p - ph) / f, (q - qh) / f }'
done
echo "(instructions per frame, $frames frames each)"
