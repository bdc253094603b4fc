#!/usr/bin/env bash
# Runs a Windows program of the cross-build under Wine, quietly, in a Wine
# prefix kept inside the build folder. Usage: run-wine.sh PROGRAM.exe [ARGS...]
# The program runs in the current directory; the prefix is made on first use.
#
# This is the one place that knows where Wine is: Debian's wine64 package puts
# its loader in /usr/lib/wine and no `wine` command on the PATH (the loader
# finds its wineserver beside itself). `run-wine.sh --find` prints the loader
# it would use, or fails.
set -euo pipefail

find_wine() {
    local candidate
    for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" \
        "$(command -v wine || true)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            echo "$candidate"
            return 0
        fi
    done
    echo "run-wine.sh: Wine is not installed (apt-get install wine64, as root)" >&2
    return 2
}

if [ "${1:-}" = "--find" ]; then
    find_wine
    exit
fi

program=$1
shift
wine=$(find_wine) || exit 2
build_dir=$(cd "$(dirname "$program")" && pwd)
export WINEDEBUG=-all
export WINEPREFIX=${PALLBROOK_WINEPREFIX:-$build_dir/wineprefix}
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine 10 (Debian 13) looks for a Wayland display, and where XDG_RUNTIME_DIR
# is not set it says so on standard error, amid the program's own output: a
# folder beside the prefix stands for it.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR=$WINEPREFIX.runtime
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
fi
# One test at a time makes the prefix; the others wait for it.
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$wine" wineboot -i >/dev/null 2>&1 || true
    fi
) 9>"$WINEPREFIX.lock"
exec "$wine" "$program" "$@"
