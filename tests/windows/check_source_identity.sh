#!/usr/bin/env bash
# A source tree that is no git checkout of its own, unpacked inside another
# repository's work tree as a downloaded source archive may be, takes no
# identity from that repository: the capture build and BUILT-WITH.txt name
# "no commit", and the zip, without SOURCE_DATE_EPOCH, takes the date of the
# newest release, not the enclosing repository's commit time. Configures the
# Windows build only; the zip packs the Windows build given.
# Usage: check_source_identity.sh SOURCE_DIR WORK_FOLDER WINDOWS_BUILD
set -euo pipefail
source_dir=$(realpath "$1")
work=$2
rm -rf "$work"
mkdir -p "$work/outer"
work=$(realpath "$work")
outer=$work/outer
git -C "$outer" init -q
git -C "$outer" -c user.name=someone -c user.email=someone@example.org \
    commit -q --allow-empty -m "another project"
outer_commit=$(git -C "$outer" rev-parse --short=12 HEAD)
unpacked=$outer/vendor/pallbrook-source
mkdir -p "$unpacked"
tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$unpacked" -xf -

failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}
(cd "$unpacked" && cmake --preset windows >"$work/configure.log" 2>&1) || {
    tail -20 "$work/configure.log" >&2
    fail "the Windows build of the unpacked sources cannot be configured"
    exit 1
}
built=$unpacked/build/windows
identity=$(grep -o 'PallbrookCapture [0-9.]*, commit [^,]*,' "$built/compile_commands.json" | head -n1)
[[ $identity == *", commit no commit," ]] ||
    fail "the capture build's identity is '$identity', not of 'no commit'"
grep -q $'^commit no commit on ' "$built/dist/BUILT-WITH.txt" ||
    fail "BUILT-WITH.txt does not say 'no commit': $(grep -m1 commit "$built/dist/BUILT-WITH.txt")"
if grep -rqs "$outer_commit" "$built/compile_commands.json" "$built/dist"; then
    fail "the build names the enclosing repository's commit $outer_commit"
fi

# Without SOURCE_DATE_EPOCH, every entry takes the date of the newest release
# in CHANGELOG.md, and the same sources make the same zip twice.
release_day=$(grep -m1 -oE '^## \[[0-9.]+\] - [0-9-]{10}$' "$unpacked/CHANGELOG.md" | grep -oE '[0-9-]{10}$')
for zip in one two; do
    made=$(env -u SOURCE_DATE_EPOCH cmake -D BUILD_DIR="$3" -D SOURCE_DIR="$unpacked" \
        -D STAGE="$work/stage" -D ZIP="$work/$zip.zip" -P "$unpacked/cmake/MakeZip.cmake" 2>&1) ||
        fail "the zip of unpacked sources without SOURCE_DATE_EPOCH was not made: $made"
done
[[ $made == *"dated $release_day 00:00:00 UTC: the date of release"* ]] ||
    fail "the zip does not say it took the date of the newest release, $release_day: $made"
dates=$(unzip -l "$work/one.zip" | awk '$2 ~ /^[0-9][0-9][0-9][0-9]-/ { print $2, $3 }' | sort -u)
[[ $dates == "$release_day 00:00" ]] || fail "the zip's entries are dated $dates, not $release_day"
cmp -s "$work/one.zip" "$work/two.zip" || fail "the same sources made two different zips"
[[ $failed -eq 0 ]] && echo "sources unpacked in $outer: no commit named, none taken from around them"
exit $failed
