#!/usr/bin/env bash
# Checks the import table of the shipped Pallbrook.asi: exactly the nine host
# functions from ScriptHookRDR2.dll under their decorated names, and otherwise
# only Windows system DLLs (no mingw runtime DLL a game folder would lack).
set -euo pipefail
asi=$1
objdump=${2:-x86_64-w64-mingw32-objdump}
dump=$("$objdump" -p "$asi")

fail=0
grep -q 'file format pei-x86-64' <(x86_64-w64-mingw32-objdump -f "$asi") || {
    echo "not a PE32+ x86-64 image: $asi"
    fail=1
}

expected=$(sort <<'NAMES'
?keyboardHandlerRegister@@YAXP6AXKGEHHHH@Z@Z
?keyboardHandlerUnregister@@YAXP6AXKGEHHHH@Z@Z
?nativeCall@@YAPEA_KXZ
?nativeInit@@YAX_K@Z
?nativePush64@@YAX_K@Z
?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z
?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z
?scriptWait@@YAXK@Z
?worldGetAllPeds@@YAHPEAHH@Z
NAMES
)

# The names imported from one DLL: the lines after its "DLL Name" up to a blank
# line, each the name last. binutils 2.40 (Debian 12) writes "vma hint name",
# 2.44 (Debian 13) "vma ordinal hint name".
imports_of() {
    awk -v dll="$1" '
        /DLL Name:/ { inside = ($3 == dll); next }
        inside && NF == 0 { inside = 0 }
        inside && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print $NF }
    ' <<<"$dump" | sort
}

actual=$(imports_of ScriptHookRDR2.dll)
if [ "$actual" != "$expected" ]; then
    echo "imports from ScriptHookRDR2.dll differ from the nine host functions:"
    diff <(echo "$expected") <(echo "$actual") || true
    fail=1
fi

dlls=$(awk '/DLL Name:/ { print $3 }' <<<"$dump")
for dll in $dlls; do
    case "${dll,,}" in
        scripthookrdr2.dll | kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll) ;;
        *)
            echo "imports from a DLL a game folder may not have: $dll"
            fail=1
            ;;
    esac
done

if [ $fail -eq 0 ]; then
    echo "import table: $(wc -l <<<"$actual") host functions, DLLs: $(echo $dlls)"
fi
exit $fail
