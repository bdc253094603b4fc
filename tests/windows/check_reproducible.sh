#!/usr/bin/env bash
# Builds Pallbrook.asi and the players' zip a second time, from a copy of the
# sources in another folder, at another time, and compares the bytes with what
# the Windows build made: a player who rebuilds from the same commit must get
# the very files that were shipped. The copy takes the git metadata along, as
# a clone would: the zip's entries carry the commit's time.
# Usage: check_reproducible.sh SOURCE_DIR WINDOWS_BUILD_DIR ZIP_NAME WORK_FOLDER
set -euo pipefail
source_dir=$(realpath "$1")
windows_build=$(realpath "$2")
zip_name=$3
work=$4

for made in Pallbrook.asi "$zip_name"; do
    [[ -f $windows_build/$made ]] || {
        echo "FAIL: no $windows_build/$made; make it with:" >&2
        echo "  cmake --build --preset windows && cmake --build --preset windows --target package" >&2
        exit 1
    }
done
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
# A folder name of another length, so that no path can line up by chance.
copy=$work/sources-copied-elsewhere
mkdir -p "$copy"
tar -C "$source_dir" --exclude=./build -cf - . | tar -C "$copy" -xf -

# A second apart at least: a time stamp in the image or the zip would show.
sleep 1
(cd "$copy" && cmake --preset windows >/dev/null &&
    cmake --build --preset windows --target package >"$work/build.log" 2>&1) || {
    echo "FAIL: the second build failed:" >&2
    tail -20 "$work/build.log" >&2
    exit 1
}
failed=0
for made in Pallbrook.asi "$zip_name"; do
    again=$copy/build/windows/$made
    if cmp "$windows_build/$made" "$again"; then
        echo "$made built twice, in $source_dir and in $copy: the same $(stat -c %s "$again") bytes"
        echo "sha256 $(sha256sum "$again" | cut -d' ' -f1)"
    else
        echo "FAIL: the second build of $made differs from $windows_build/$made" >&2
        cmp -l "$windows_build/$made" "$again" | head -10 >&2 || true
        failed=1
    fi
done
exit $failed
