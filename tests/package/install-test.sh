#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the built packages into a fresh Debian 12 root with apt, as a user would
# (apt install ./….deb), runs in-root.sh there in a clean environment (none of this shell's
# variables), and throws the root away. The root comes from the archive this machine's apt
# uses; packages already in this machine's apt cache or in CACHE_DIR (what earlier runs
# downloaded) are not downloaded again.
#
#   install-test.sh DEB_DIR CACHE_DIR
set -euo pipefail
if [[ $# -ne 2 ]]; then
    echo "usage: $0 DEB_DIR CACHE_DIR" >&2
    exit 1
fi
here=$(cd "$(dirname "$0")" && pwd)
debs=$(cd "$1" && pwd)
mkdir -p "$2"
cache=$(cd "$2" && pwd)
mapfile -t packages < <(find "$debs" -maxdepth 1 -name '*.deb' ! -name '*-dbgsym_*' | sort)
[[ ${#packages[@]} -gt 0 ]] || { echo "install-test: no packages in $debs" >&2; exit 1; }

# What the checks need beside the packages.
tools=man-db,desktop-file-utils,appstream,cmake,g++,make,pkg-config,iproute2
sources=/etc/apt/sources.list.d/debian.sources
[[ -f $sources ]] || sources=/etc/apt/sources.list
archives=/var/cache/apt/archives

start=$SECONDS
mmdebstrap --variant=apt --include="$tools" \
    --setup-hook='mkdir -p "$1'"$archives"'"' \
    --setup-hook='for f in '"$archives/*.deb $cache/*.deb"'; do
                      [ -e "$f" ] && ln -f "$f" "$1'"$archives"'/" 2>/dev/null; done; true' \
    --customize-hook="copy-in ${packages[*]} $here/in-root.sh $here/consumer /tmp" \
    --customize-hook='chroot "$1" apt-get install -y -q --no-install-recommends '"$(printf '/tmp/%s ' "${packages[@]##*/}")" \
    --customize-hook='for f in "$1'"$archives"'"/*.deb; do [ -e '"$archives"'/"${f##*/}" ] ||
                          ln -f "$f" '"$cache"'/ 2>/dev/null || cp "$f" '"$cache"'/; done' \
    --customize-hook='chroot "$1" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
                          LANG=C.UTF-8 bash /tmp/in-root.sh /tmp/consumer' \
    bookworm /dev/null "$sources"
echo "install-test: fresh root, install and checks took $((SECONDS - start)) s"
