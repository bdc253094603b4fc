#!/usr/bin/env bash
# The shipped Pallbrook.asi is small: at most LIMIT bytes (256 KiB), stripped
# of symbols and linked with the runtimes, so that nothing else must ship.
set -euo pipefail
asi=$1
limit=$2
objdump=${3:-x86_64-w64-mingw32-objdump}
size=$(stat -c %s "$asi")
fail=0
if [ "$size" -gt "$limit" ]; then
    echo "Pallbrook.asi is $size bytes, $((size - limit)) over the limit of $limit"
    fail=1
fi
# Stripped: no symbol table, no debugging sections.
headers=$("$objdump" -h "$asi")
symbols=$("$objdump" -t "$asi")
imports=$("$objdump" -p "$asi")
if grep -q '\.debug_' <<<"$headers"; then
    echo "Pallbrook.asi carries debugging sections"
    fail=1
fi
if grep -q '^\[' <<<"$symbols"; then
    echo "Pallbrook.asi carries a symbol table"
    fail=1
fi
# Statically linked: no mingw runtime DLL among its imports.
if grep -iE 'DLL Name: (libstdc\+\+|libgcc|libwinpthread)' <<<"$imports"; then
    echo "Pallbrook.asi needs a mingw runtime DLL"
    fail=1
fi
[ $fail -eq 0 ] && echo "Pallbrook.asi: $size bytes ($((size / 1024)) KiB) of at most $limit"
exit $fail
