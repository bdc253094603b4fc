#!/usr/bin/env bash
# Installs what building and testing Pallbrook needs on a Debian machine:
# the mingw-w64 cross compiler for the Windows plugin, Wine to run it, and the
# libraries of the tests and tools. Does nothing when all are present.
set -euo pipefail
packages=(cmake g++ g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 libgtest-dev
          libbenchmark-dev nlohmann-json3-dev clang libclang-rt-14-dev librsvg2-bin valgrind zip
          unzip)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "setup: these packages are missing: ${missing[*]}" >&2
    echo "setup: install them as root: apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q >/dev/null
apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
