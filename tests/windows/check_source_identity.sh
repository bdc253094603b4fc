#!/usr/bin/env bash
# A source tree that is no git checkout of its own, unpacked inside another
# repository's work tree as a downloaded source archive may be, takes no
# identity from that repository: the capture build and BUILT-WITH.txt name
# "no commit", and the zip, without SOURCE_DATE_EPOCH, refuses to take the
# enclosing repository's commit time. Configures the Windows build only.
# Usage: check_source_identity.sh SOURCE_DIR WORK_FOLDER
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

made=$(env -u SOURCE_DATE_EPOCH cmake -D BUILD_DIR="$built" -D SOURCE_DIR="$unpacked" \
    -D STAGE="$work/stage" -D ZIP="$work/zip.zip" -P "$unpacked/cmake/MakeZip.cmake" 2>&1 || true)
[[ $made == *"no git checkout and SOURCE_DATE_EPOCH is not set"* ]] ||
    fail "the zip of unpacked sources without SOURCE_DATE_EPOCH did not refuse: $made"
[[ $failed -eq 0 ]] && echo "sources unpacked in $outer: no commit named, none taken from around them"
exit $failed
