#!/usr/bin/env bash
# Loads every settings case with the Linux dump program and with the Windows one
# under Wine, and compares the two dumps line by line.
# Usage: compare_dumps.sh LINUX_DUMP WINDOWS_DUMP_EXE CASES_FOLDER RUN_WINE WORK_FOLDER
set -euo pipefail

linux_dump=$(realpath "$1")
windows_dump=$(realpath "$2")
cases=$(realpath "$3")
run_wine=$(realpath "$4")
work=$5

mkdir -p "$work"
work=$(realpath "$work")
"$run_wine" --find >/dev/null

compared=0
failed=0
for expected in "$cases"/*.expected; do
    name=$(basename "$expected" .expected)
    folder=$work/case-$name
    rm -rf "$folder"
    mkdir -p "$folder"
    if [[ -f $cases/$name.ini ]]; then
        cp "$cases/$name.ini" "$folder/Pallbrook.ini"
    fi
    (cd "$folder" && "$linux_dump") >"$work/$name.linux"
    (cd "$folder" && "$run_wine" "$windows_dump" 2>/dev/null) | tr -d '\r' >"$work/$name.windows"
    if [[ $(wc -l <"$work/$name.linux") -ne 9 ]]; then
        echo "FAIL $name: the Linux dump has no nine settings" >&2
        failed=$((failed + 1))
    elif ! diff -u --label "$name linux" --label "$name windows" \
        "$work/$name.linux" "$work/$name.windows"; then
        failed=$((failed + 1))
    fi
    compared=$((compared + 1))
done

echo "$compared cases compared, $failed differ"
[[ $compared -gt 0 && $failed -eq 0 ]]
