#!/usr/bin/env bash
# Runs a Windows program of the cross-build under Wine, quietly, in a Wine
# prefix kept inside the build folder. Usage: run-wine.sh PROGRAM.exe [ARGS...]
# The program runs in the current directory; the prefix is made on first use.
set -euo pipefail
program=$1
shift
build_dir=$(cd "$(dirname "$program")" && pwd)
export WINEDEBUG=-all
export WINEPREFIX=${PALLBROOK_WINEPREFIX:-$build_dir/wineprefix}
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || command -v wine || true)
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64
if [ -z "$wine" ]; then
    echo "run-wine.sh: Wine is not installed (apt-get install wine64, as root)" >&2
    exit 2
fi
# One test at a time makes the prefix; the others wait for it.
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$wine" wineboot -i >/dev/null 2>&1 || true
    fi
) 9>"$WINEPREFIX.lock"
exec "$wine" "$program" "$@"
