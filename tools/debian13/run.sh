#!/usr/bin/env bash
# The main job and the Linux suite once more on Debian 13 (trixie), the
# release a newcomer installs today, in a chroot made from Debian's packages:
# each run starts from a bare system as debootstrap makes it, takes a clone of
# this checkout (with the work tree's changes not yet committed), and runs the
# README's commands there as root, which install what they need as on a new
# machine (tools/debian13/inside.sh).
#
# Kept between runs, under build/debian13/: the bare system (bare/) and the
# packages apt fetched for it (apt-archives/). Delete the folder to start
# from nothing. The chroot's mounts live in a mount namespace of its own, so
# nothing stays mounted when the job ends, whether it passed or failed.
#
# Needs root, for debootstrap, chroot and the mounts; as another user, and on
# Debian 13 itself, it says why it runs nothing and succeeds. Debian's
# packages come from PALLBROOK_DEBIAN_MIRROR (default deb.debian.org).
set -euo pipefail
cd "$(dirname "$0")/../.."
release=trixie
mirror=${PALLBROOK_DEBIAN_MIRROR:-http://deb.debian.org/debian}
keep=$(pwd -P)/build/debian13
root=$keep/root

if [ "$(. /etc/os-release && echo "${VERSION_ID:-}")" = 13 ]; then
    echo "debian13: passed over: this machine is Debian 13, where the suite has just run"
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "debian13: passed over: the Debian 13 chroot needs root (debootstrap, chroot, mounts)"
    exit 0
fi

fail() {
    echo "debian13: $*" >&2
    exit 1
}
# Not a hang when the mirror is out of reach: one quick look first, and
# every download with a time limit.
if ! timeout 60 wget -q -T 20 -t 2 -O /dev/null "$mirror/dists/$release/InRelease"; then
    fail "Debian's packages cannot be reached at $mirror; no Debian 13 chroot can be made, so" \
        "the Debian 13 job did not run (set PALLBROOK_DEBIAN_MIRROR to another mirror)"
fi

mkdir -p "$keep/apt-archives"
if [ ! -f "$keep/bare/etc/debian_version" ]; then
    echo "debian13: making the bare system in $keep/bare (debootstrap $release, once)"
    rm -rf "$keep/bare.partial"
    timeout 1200 debootstrap --variant=minbase --cache-dir="$keep/apt-archives" \
        "$release" "$keep/bare.partial" "$mirror" >"$keep/debootstrap.log" 2>&1 ||
        fail "debootstrap failed or took over 20 minutes; its log: $keep/debootstrap.log"
    mv "$keep/bare.partial" "$keep/bare"
fi

echo "debian13: a fresh copy of the bare system ($(cat "$keep/bare/etc/debian_version")) in $root"
rm -rf "$root"
cp -a "$keep/bare" "$root"
cat >"$root/etc/apt/sources.list" <<SOURCES
deb $mirror $release main
deb $mirror $release-updates main
deb ${mirror%/debian}/debian-security $release-security main
SOURCES
cat >"$root/etc/apt/apt.conf.d/80pallbrook" <<'APT'
Acquire::http::Timeout "30";
Acquire::Retries "3";
APT
cp /etc/resolv.conf "$root/etc/resolv.conf"

# The sources as a clone would bring them, and the changes of the work tree
# over them: files changed or not yet added, and files deleted.
git clone -q --no-hardlinks "$(pwd -P)" "$root/pallbrook"
git -C "$root/pallbrook" checkout -q --detach "$(git rev-parse HEAD)"
git ls-files -z --cached --others --exclude-standard |
    tar --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -C "$root/pallbrook" -xf -
git ls-files -z --deleted | (cd "$root/pallbrook" && xargs -0 -r rm -f)

# In a mount namespace of its own, whose mounts end with it.
unshare --mount --propagation private -- bash -c '
    set -e
    root=$1
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --rbind /sys "$root/sys"
    mount -t tmpfs tmpfs "$root/tmp"
    mount --bind "$2" "$root/var/cache/apt/archives"
    exec chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
        LANG=C.UTF-8 bash /pallbrook/tools/debian13/inside.sh' _ "$root" "$keep/apt-archives"
