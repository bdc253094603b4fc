#!/usr/bin/env bash
# Unpacks the players' zip into an empty folder that stands for the game folder
# and checks what lands there: exactly Pallbrook.asi, Pallbrook.ini, README.txt,
# BUILT-WITH.txt and SHA256SUMS at the top level; the plugin the build made, as
# a 64-bit Windows DLL whose version resource carries the project's name and
# version; the sample settings file and the README as they are in the source
# tree, with Windows line ends; BUILT-WITH.txt naming the compiler that built
# the plugins; hashes that match; and the same version in the README, the
# players' README.txt and the changelog.
# Usage: package_contents.sh ZIP VERSION SOURCE_DIR WINDOWS_BUILD_DIR WORK_FOLDER [OBJDUMP]
set -euo pipefail
zip=$1
version=$2
source_dir=$3
windows_build=$4
work=$5
objdump=${6:-x86_64-w64-mingw32-objdump}

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if [[ ! -f $zip ]]; then
    echo "FAIL: no package at $zip; make it with:" >&2
    echo "  cmake --build --preset windows --target package" >&2
    exit 1
fi
[[ $(basename "$zip") == "Pallbrook-$version.zip" ]] || fail "package name $(basename "$zip")"
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "version '$version' is not MAJOR.MINOR.PATCH"

game=$work/game
rm -rf "$game"
mkdir -p "$game"
unzip -q "$zip" -d "$game"

# What the player gets: five files, and the capture build with its note in a
# folder of its own; nothing else.
listing=$(cd "$game" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
[[ $listing == "BUILT-WITH.txt Pallbrook.asi Pallbrook.ini README.txt SHA256SUMS capture capture/PallbrookCapture.asi capture/README.txt " ]] ||
    fail "the package holds '$listing' instead of BUILT-WITH.txt, Pallbrook.asi, Pallbrook.ini, README.txt, SHA256SUMS and capture/ with PallbrookCapture.asi and README.txt"
cmp -s "$game/capture/PallbrookCapture.asi" "$windows_build/PallbrookCapture.asi" ||
    fail "capture/PallbrookCapture.asi in the package is not the one in $windows_build"

# The text files as in the source tree, but with Windows line ends throughout.
for name in Pallbrook.ini README.txt capture/README.txt; do
    [[ -f $game/$name ]] || continue
    cmp -s <(sed 's/$/\r/' "$source_dir/dist/$name") "$game/$name" ||
        fail "$name in the package is not dist/$name with CR LF line ends"
done

# BUILT-WITH.txt names the Debian package, and its version, of the compiler
# that the Windows build used, as dpkg tells them, and the system.
compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$windows_build/CMakeCache.txt")
compiler_package=$(dpkg-query -S "$(realpath "$compiler")" | cut -d: -f1)
compiler_version=$(dpkg-query -W -f '${Version}' "$compiler_package")
grep -qx "  $compiler_package $compiler_version"$'\r' "$game/BUILT-WITH.txt" ||
    fail "BUILT-WITH.txt does not name $compiler_package $compiler_version, which built the plugins"
grep -qF "on $(. /etc/os-release && echo "$PRETTY_NAME")," "$game/BUILT-WITH.txt" ||
    fail "BUILT-WITH.txt does not name the system the plugins were built on"

# SHA256SUMS holds the hash of each other file, checked here with the
# standard tool, as a player or developer would.
if [[ -f $game/SHA256SUMS ]]; then
    listed=$(awk '{ print $2 }' "$game/SHA256SUMS" | tr '\n' ' ')
    [[ $listed == "BUILT-WITH.txt Pallbrook.asi Pallbrook.ini README.txt capture/PallbrookCapture.asi capture/README.txt " ]] ||
        fail "SHA256SUMS lists '$listed'"
    (cd "$game" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
fi
cmp -s "$game/Pallbrook.asi" "$windows_build/Pallbrook.asi" ||
    fail "Pallbrook.asi in the package is not the one in $windows_build (package made before the last build?)"

asi=$game/Pallbrook.asi
if [[ -f $asi ]]; then
    headers=$("$objdump" -p "$asi")
    grep -q 'file format pei-x86-64' <<<"$headers" || fail "Pallbrook.asi is no 64-bit Windows image"
    grep -qx $'\tDLL' <<<"$headers" || fail "Pallbrook.asi is not marked as a DLL"

    # The version strings, stored as UTF-16 in the resource: each name is
    # followed by its value.
    strings_of_resource=$(strings -el "$asi")
    value_of() { grep -A1 -x "$1" <<<"$strings_of_resource" | sed -n 2p; }
    [[ $(value_of ProductName) == Pallbrook ]] || fail "ProductName is '$(value_of ProductName)'"
    [[ $(value_of ProductVersion) == "$version" ]] ||
        fail "ProductVersion is '$(value_of ProductVersion)', not $version"
    [[ $(value_of FileVersion) == "$version" ]] ||
        fail "FileVersion is '$(value_of FileVersion)', not $version"
    [[ $(value_of OriginalFilename) == Pallbrook.asi ]] ||
        fail "OriginalFilename is '$(value_of OriginalFilename)'"
    [[ $(value_of FileDescription) == *[Dd]rag* ]] ||
        fail "FileDescription '$(value_of FileDescription)' does not say what the plugin does"

    # The numeric versions that Windows shows, in the fixed part of the resource:
    # its signature 0xFEEF04BD, the structure version, then file version and
    # product version, each as two 32-bit words (major<<16|minor, patch<<16|build)
    # in little-endian order.
    offset=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$asi" | head -n1 | cut -d: -f1 || true)
    if [[ -z $offset ]]; then
        fail "Pallbrook.asi has no version resource"
    else
        read -ra bytes <<<"$(od -An -v -tx1 -j $((offset + 4)) -N 20 "$asi" | tr "\n" " ")"
        IFS=. read -r major minor patch <<<"$version"
        word() { printf '%02x%02x%02x%02x' $(($2 & 0xff)) $(($2 >> 8)) $(($1 & 0xff)) $(($1 >> 8)); }
        expected=$(word "$major" "$minor")$(word "$patch" 0)
        file_version=$(printf '%s' "${bytes[@]:4:8}")
        product_version=$(printf '%s' "${bytes[@]:12:8}")
        [[ $file_version == "$expected" ]] || fail "file version bytes $file_version, not $expected"
        [[ $product_version == "$expected" ]] ||
            fail "product version bytes $product_version, not $expected"
    fi
fi

# One version everywhere a player or developer reads it.
[[ $(head -n1 "$game/README.txt" | tr -d '\r') == "Pallbrook $version" ]] ||
    fail "README.txt does not start with 'Pallbrook $version'"
grep -q "^Current version: $version " "$source_dir/README.md" ||
    fail "README.md does not state 'Current version: $version'"
newest=$(grep -m1 -E '^## \[[0-9]' "$source_dir/CHANGELOG.md" || true)
[[ $newest == "## [$version] - "* ]] || fail "the newest release in CHANGELOG.md is '$newest', not $version"

if [[ $failures -gt 0 ]]; then
    echo "$failures package checks failed" >&2
    exit 1
fi
echo "Pallbrook-$version.zip: contents, version resource and version statements agree"
