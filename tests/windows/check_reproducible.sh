#!/usr/bin/env bash
# Builds Pallbrook.asi a second time, from a copy of the sources in another
# folder, at another time, and compares the bytes with the plugin that the
# Windows build made: a player who rebuilds from the same commit must get the
# very file that was shipped.
# Usage: check_reproducible.sh SOURCE_DIR WINDOWS_BUILD_DIR WORK_FOLDER
set -euo pipefail
source_dir=$(realpath "$1")
shipped=$(realpath "$2")/Pallbrook.asi
work=$3

[[ -f $shipped ]] || {
    echo "FAIL: no $shipped; build it with: cmake --build --preset windows" >&2
    exit 1
}
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
# A folder name of another length, so that no path can line up by chance.
copy=$work/sources-copied-elsewhere
mkdir -p "$copy"
tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -

# A second apart at least: a time stamp in the image would show.
sleep 1
(cd "$copy" && cmake --preset windows >/dev/null &&
    cmake --build --preset windows --target Pallbrook >"$work/build.log" 2>&1) || {
    echo "FAIL: the second build failed:" >&2
    tail -20 "$work/build.log" >&2
    exit 1
}
again=$copy/build/windows/Pallbrook.asi
if cmp "$shipped" "$again"; then
    echo "Pallbrook.asi built twice, in $source_dir and in $copy: the same $(stat -c %s "$again") bytes"
    echo "sha256 $(sha256sum "$again" | cut -d' ' -f1)"
else
    echo "FAIL: the second build of Pallbrook.asi differs from $shipped" >&2
    cmp -l "$shipped" "$again" | head -10 >&2 || true
    exit 1
fi
