#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside the fresh root once the packages are installed: what a user of each package
# does first. The search runs in a network namespace of its own, on 127.0.0.1 only.
#
#   in-root.sh CONSUMER_DIR
set -euo pipefail
consumer=$1
work=$(mktemp -d)
step() { echo "== $*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
quiet() { # COMMAND...: fails on any output, as the validators report hints with status 0
    local out
    out=$("$@" 2>&1) || fail "$*: $out"
    [[ -z $out ]] || fail "$*: $out"
}

step "cardwise-cli --help"
help=$(cardwise-cli --help)
head -n 2 <<<"$help"

step "man -w"
man -w cardwise cardwise-cli cardwise-sim
for page in cardwise cardwise-cli cardwise-sim; do
    quiet sh -c "MANWIDTH=80 man --warnings -E UTF-8 $page >/dev/null"
done

step "desktop-file-validate, appstreamcli validate"
quiet desktop-file-validate /usr/share/applications/cardwise.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.cardwise.cardwise.metainfo.xml
appstreamcli validate-tree --no-net /usr

step "bash completion"
bash -c 'source /usr/share/bash-completion/completions/cardwise-cli
         source /usr/share/bash-completion/completions/cardwise-sim
         complete -p cardwise-cli cardwise-sim'

step "consumer through find_package"
version=$(pkg-config --modversion LmVarData)
[[ $(pkg-config --modversion LmSystem) == "$version" ]] || fail "the two .pc files differ in version"
cmake -S "$consumer" -B "$work/build" -G "Unix Makefiles" >/dev/null
cmake --build "$work/build" >/dev/null
read -r found < <("$work/build/consumer" /usr/bin/cardwise-cli)
[[ $found == "$version".* ]] || fail "the consumer read version '$found', the packages are $version"
echo "cardwise-cli's version block: $found"

step "consumer through pkg-config"
# shellcheck disable=SC2046
g++ -std=c++17 "$consumer/main.cpp" $(pkg-config --cflags --libs LmVarData LmSystem) -o "$work/pc"
read -r found < <("$work/pc" /usr/bin/cardwise-sim)
[[ $found == "$version".* ]] || fail "the pkg-config consumer read '$found'"
echo "cardwise-sim's version block: $found"

step "cardwise-cli search against cardwise-sim on 127.0.0.1, in a network namespace of its own"
unshare -n bash -euo pipefail -c '
    ip link set lo up
    others=$(ip -o link show | awk -F": " "{ print \$2 }" | grep -vx lo || true)
    [[ -z $others ]] || { echo "refusing to run: interfaces other than lo: $others" >&2; exit 1; }
    mkfifo "$1/ready"
    cardwise-sim --cards 3 >"$1/ready" &
    exec 3<"$1/ready"
    read -t 20 -r line <&3 || { echo "cardwise-sim did not start" >&2; exit 1; }
    echo "$line"
    cardwise-cli search --subnet 127.0.0.1/32 | tee "$1/search"
    kill $!
    grep -q "^3 card(s) found" "$1/search" || { echo "expected 3 cards" >&2; exit 1; }
' bash "$work"
rm -rf "$work"
echo "== every check passed in the fresh root"
