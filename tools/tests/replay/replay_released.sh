#!/usr/bin/env bash
# Captures written by a released PallbrookCapture.asi, one folder per
# release, must replay in every later pallbrook-sim with no difference and
# the same brief as when they were kept (each brief's frame lines were then
# checked against `run` of the scenario the capture was made from). A capture
# of another format version is refused, naming its version and the one read.
# Usage: replay_released.sh SIM RELEASED_DIR WORK
set -uo pipefail
sim=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
released=$(cd "$2" && pwd)
mkdir -p "$3"
work=$(cd "$3" && pwd)
failed=0
count=0
for capture in "$released"/*/*.pbcap; do
    count=$((count + 1))
    name=${capture#"$released"/}
    # The brief names the file as given: replayed from its own folder. It is
    # the standard output; a sanitizer's notes go to the standard error.
    (cd "$(dirname "$capture")" && "$sim" replay "$(basename "$capture")") >"$work/out" \
        2>"$work/err"
    status=$?
    if [ "$status" -ne 0 ] || ! diff -u "${capture%.pbcap}.brief" "$work/out" >"$work/diff"; then
        echo "FAIL $name: exit status $status, or another brief:"
        head -20 "$work/diff" "$work/err"
        failed=$((failed + 1))
        continue
    fi
    echo "$name: $(tail -1 "$work/out")"
done

# The demo's capture with a version number no reader knows.
demo=$(ls "$released"/*/demo.pbcap | head -1)
cp "$demo" "$work/version-9.pbcap"
printf '\x09' | dd of="$work/version-9.pbcap" bs=1 seek=8 conv=notrunc status=none
output=$("$sim" replay "$work/version-9.pbcap" 2>&1)
status=$?
if [ "$status" -eq 0 ] ||
    ! grep -q 'capture format version 9 is not one this reader knows: it reads versions 1 and 3' \
        <<<"$output"; then
    echo "FAIL a capture of format version 9 was not refused so (exit status $status):"
    echo "$output" | head -5
    failed=$((failed + 1))
else
    echo "format version 9: refused: $(grep -m1 'version 9' <<<"$output")"
fi

echo "$count released captures replayed, $failed failed"
[ "$count" -gt 0 ] && [ "$failed" -eq 0 ]
