#!/usr/bin/env bash
# Installs what building and testing Pallbrook needs on a Debian machine, 12
# or 13 (every package name below holds on both): the mingw-w64 cross
# compiler for the Windows plugin, Wine to run it, the libraries and commands
# of the tests and tools, and debootstrap for the Debian 13 job. Installs
# nothing when all are present. Then checks that every command the scripts
# and tests call can be found, and fails naming the first one that cannot.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(cmake make g++ binutils git tar g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64
          libgtest-dev libbenchmark-dev nlohmann-json3-dev clang clang-format libclang-rt-dev
          librsvg2-bin valgrind zip unzip debootstrap wget coreutils diffutils util-linux mawk sed
          bsdutils zlib1g-dev libz-mingw-w64-dev)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: these packages are missing: ${missing[*]}" >&2
        echo "setup: install them as root: apt-get update && apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi

# Every command that a build step, script or test runs, beside the package
# above that provides it.
commands=(
    cmake:cmake ctest:cmake make:make g++:g++ strings:binutils git:git tar:tar
    x86_64-w64-mingw32-g++:g++-mingw-w64-x86-64
    x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
    x86_64-w64-mingw32-dlltool:binutils-mingw-w64-x86-64
    x86_64-w64-mingw32-objdump:binutils-mingw-w64-x86-64
    x86_64-w64-mingw32-strip:binutils-mingw-w64-x86-64
    clang++:clang clang-format:clang-format valgrind:valgrind callgrind_annotate:valgrind
    rsvg-convert:librsvg2-bin zip:zip unzip:unzip sha256sum:coreutils od:coreutils
    realpath:coreutils stat:coreutils touch:coreutils diff:diffutils cmp:diffutils flock:util-linux
    awk:mawk sed:sed script:bsdutils debootstrap:debootstrap wget:wget unshare:util-linux
    chroot:coreutils timeout:coreutils date:coreutils mkfifo:coreutils apt-get:apt
)
for entry in "${commands[@]}"; do
    command=${entry%%:*}
    if ! command -v "$command" >/dev/null; then
        echo "setup: the command $command cannot be found; it comes with the package ${entry#*:}" >&2
        exit 1
    fi
done
# The zlib of each build, which no command stands for.
for entry in /usr/include/zlib.h:zlib1g-dev /usr/x86_64-w64-mingw32/lib/libz.a:libz-mingw-w64-dev; do
    if [ ! -f "${entry%%:*}" ]; then
        echo "setup: ${entry%%:*} cannot be found; it comes with the package ${entry#*:}" >&2
        exit 1
    fi
done
# Wine's loader is not on the PATH: the one script that runs it finds it.
if ! bash tools/run-wine.sh --find >/dev/null; then
    echo "setup: Wine cannot be found; it comes with the package wine64" >&2
    exit 1
fi
