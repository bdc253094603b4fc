#!/usr/bin/env bash
# The main job and the Linux suite once more on Debian 13 (trixie), the
# release a newcomer installs today, in a chroot made from Debian's packages:
# each run starts from a bare system as debootstrap makes it, takes the
# sources of this tree (a clone with the work tree's changes not yet
# committed, or a plain copy where the tree is no git checkout), and runs the
# README's commands there as root, which install what they need as on a new
# machine (tools/debian13/inside.sh).
#
# Kept between runs, outside the tree so that a new clone finds them, in
# $XDG_CACHE_HOME/pallbrook/debian13 where XDG_CACHE_HOME is set and else in
# /var/cache/pallbrook/debian13: the bare system (bare/) and the packages apt
# fetched for it (apt-archives/). Delete the folder to start from nothing.
# The chroot itself is made in build/debian13/root. Its mounts live in a
# mount namespace of its own, so nothing stays mounted when the job ends,
# whether it passed or failed.
#
# Needs root, for debootstrap, chroot and the mounts; as another user, and on
# Debian 13 itself, it says why it runs nothing and succeeds. Debian's
# packages come from the mirror that this machine's apt takes Debian's
# packages from, or from PALLBROOK_DEBIAN_MIRROR where that is set.
set -euo pipefail
cd "$(dirname "$0")/../.."
release=trixie
cache=${XDG_CACHE_HOME:-/var/cache}/pallbrook/debian13
root=$(pwd -P)/build/debian13/root

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
# The mirrors this machine's apt takes Debian's packages from, for the suite
# given (its codename, or the codename and -security), read as apt reads its
# sources, in either of their formats.
apt_mirror() {
    apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
        awk -v suite="$1" '$2 == suite { sub(/\/$/, "", $1); print $1; exit }'
}
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
mirror=${PALLBROOK_DEBIAN_MIRROR:-$(apt_mirror "$codename")}
security=$(apt_mirror "$codename-security")
[ -n "$mirror" ] ||
    fail "this machine's apt takes no packages of Debian ${codename:-(no codename)}, so there" \
        "is no mirror to make a Debian 13 chroot from: set PALLBROOK_DEBIAN_MIRROR to one"
# Not a hang when the mirror is out of reach: one quick look first, and
# every download with a time limit.
if ! timeout 60 wget -q -T 20 -t 2 -O /dev/null "$mirror/dists/$release/InRelease"; then
    fail "Debian's packages cannot be reached at $mirror; no Debian 13 chroot can be made, so" \
        "the Debian 13 job did not run (set PALLBROOK_DEBIAN_MIRROR to another mirror)"
fi

mkdir -p "$cache/apt-archives"
# One job at a time uses the cache.
exec 9>"$cache/lock"
flock 9
if [ ! -f "$cache/bare/etc/debian_version" ]; then
    echo "debian13: making the bare system in $cache/bare (debootstrap $release, once)"
    rm -rf "$cache/bare.partial"
    timeout 1200 debootstrap --variant=minbase --cache-dir="$cache/apt-archives" \
        "$release" "$cache/bare.partial" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
        fail "debootstrap failed or took over 20 minutes; its log: $cache/debootstrap.log"
    mv "$cache/bare.partial" "$cache/bare"
else
    echo "debian13: the bare system and the fetched packages from $cache"
fi

echo "debian13: a fresh copy of the bare system ($(cat "$cache/bare/etc/debian_version")) in $root"
rm -rf "$root"
mkdir -p "$(dirname "$root")"
cp -a "$cache/bare" "$root"
{
    echo "deb $mirror $release main"
    echo "deb $mirror $release-updates main"
    [ -z "$security" ] || echo "deb $security $release-security main"
} >"$root/etc/apt/sources.list"
cat >"$root/etc/apt/apt.conf.d/80pallbrook" <<'APT'
Acquire::http::Timeout "30";
Acquire::Retries "3";
APT
cp /etc/resolv.conf "$root/etc/resolv.conf"

# The sources as a clone would bring them, and the changes of the work tree
# over them: files changed or not yet added, and files deleted. Sources that
# are no git checkout (a source archive) are copied as they are, but for
# their builds.
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
    git clone -q --no-hardlinks "$(pwd -P)" "$root/pallbrook"
    git -C "$root/pallbrook" checkout -q --detach "$(git rev-parse HEAD)"
    git ls-files -z --cached --others --exclude-standard |
        tar --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -C "$root/pallbrook" -xf -
    git ls-files -z --deleted | (cd "$root/pallbrook" && xargs -0 -r rm -f)
else
    mkdir "$root/pallbrook"
    tar --exclude=./build -cf - . | tar -C "$root/pallbrook" -xf -
fi

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
        LANG=C.UTF-8 bash /pallbrook/tools/debian13/inside.sh' _ "$root" "$cache/apt-archives"
