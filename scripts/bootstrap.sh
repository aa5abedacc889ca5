#!/usr/bin/env bash
# Prepares a Debian 12 machine to build and test the suite: the MinGW-w64 cross compiler, Wine (32-bit), Xvfb,
# a CJK font, 7-Zip for packing the payload, and the sources Debian ships only as source packages.
# Idempotent; run as root. Sources land in third-party/ (ignored by git), never in the repository.
set -euo pipefail

die() { echo "bootstrap: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || die "run as root (apt-get installs packages)"

top=$(cd "$(dirname "$0")/.." && pwd)
src="$top/third-party"
mkdir -p "$src"

export DEBIAN_FRONTEND=noninteractive

need_update=0
# apt-get source needs deb-src lines.
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    if ! grep -qE '^Types:.*deb-src' /etc/apt/sources.list.d/debian.sources; then
        sed -i -E 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
        need_update=1
    fi
elif ! grep -rqsE '^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo 'deb-src http://deb.debian.org/debian bookworm main' > /etc/apt/sources.list.d/qv-deb-src.list
    need_update=1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    need_update=1
fi

packages=(
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 cmake ninja-build dpkg-dev
    wine wine32:i386 xvfb xauth xdotool imagemagick fonts-wqy-microhei
    7zip googletest
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ] || [ ! -d /var/lib/apt/lists ] \
    || [ -z "$(ls /var/lib/apt/lists/*Sources* 2>/dev/null)" ]; then
    apt-get update -q || die "apt-get update failed"
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "bootstrap: installing ${missing[*]}"
    apt-get install -y -q --no-install-recommends "${missing[@]}" \
        || die "could not install: ${missing[*]}"
fi

# Source packages, unpacked once. The folder name is fixed so CMake finds them.
fetch_source() {   # name  marker-file-inside
    local name=$1 marker=$2
    if [ -e "$src/$name/$marker" ]; then return; fi
    local tmp
    tmp=$(mktemp -d "$src/.fetch-$name.XXXX")
    (cd "$tmp" && apt-get source -q "$name" >/dev/null) || { rm -rf "$tmp"; die "apt-get source $name failed"; }
    local dir
    dir=$(find "$tmp" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    [ -n "$dir" ] && [ -e "$dir/$marker" ] || { rm -rf "$tmp"; die "source of $name lacks $marker"; }
    rm -rf "${src:?}/$name"
    mv "$dir" "$src/$name"
    rm -rf "$tmp"
    echo "bootstrap: $name source in third-party/$name"
}
fetch_source lua5.2 src/lua.h
fetch_source 7zip CPP/7zip/Archive/IArchive.h
fetch_source pugixml src/pugixml.cpp

[ -f /usr/src/googletest/googletest/CMakeLists.txt ] || die "googletest sources missing in /usr/src/googletest"
command -v i686-w64-mingw32-g++-posix >/dev/null || die "i686-w64-mingw32-g++-posix not found"
command -v wine >/dev/null || die "wine not found"
command -v 7zz >/dev/null || command -v 7z >/dev/null || die "7-Zip (7zz) not found"
echo "bootstrap: ready"
