#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A plain `cmake --install` into a fresh prefix holds the programs, the libraries, the menu
# entry, the icons, the AppStream metadata, the completion (and the manual pages when scdoc
# rendered them), and the programs run from there: their libraries are found through the
# RPATH, never through LD_LIBRARY_PATH (a build for /usr has no RPATH: rpath=no).
#
#   install-tree-test.sh BUILD_DIR WORK_DIR man=yes|no rpath=yes|no
set -euo pipefail
if [[ $# -ne 4 ]]; then
    echo "usage: $0 BUILD_DIR WORK_DIR man=yes|no rpath=yes|no" >&2
    exit 1
fi
build=$1 prefix=$2/prefix with_man=${3#man=} with_rpath=${4#rpath=}
rm -rf "$2"
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

expected=(
    bin/cardwise bin/cardwise-cli bin/cardwise-sim
    share/applications/cardwise.desktop
    share/metainfo/org.cardwise.cardwise.metainfo.xml
    share/icons/hicolor/scalable/apps/cardwise.svg
    share/bash-completion/completions/cardwise-cli
    share/bash-completion/completions/cardwise-sim
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x$size/apps/cardwise.png")
done
if [[ $with_man == yes ]]; then
    expected+=(share/man/man1/cardwise.1 share/man/man1/cardwise-cli.1 share/man/man1/cardwise-sim.1)
fi
for file in "${expected[@]}"; do
    [[ -s $prefix/$file ]] || fail "the install lacks $file"
done
for library in libLmVarData.so.0 libLmSystem.so.0; do
    [[ -n $(find "$prefix" -name "$library") ]] || fail "the install lacks $library"
done

for program in cardwise cardwise-cli cardwise-sim; do
    [[ -x $prefix/bin/$program && $with_rpath == yes ]] || continue
    env -u LD_LIBRARY_PATH "$prefix/bin/$program" --help >/dev/null 2>&1 ||
        fail "$program --help fails when installed"
    # Each of the project's libraries resolves to the installed copy.
    while read -r library _ path _; do
        [[ $path == "$prefix"/* ]] || fail "$program finds $library at $path"
    done < <(env -u LD_LIBRARY_PATH ldd "$prefix/bin/$program" | grep 'libLm')
done
# Not `ldd | grep -q`: grep's early exit would fail the pipe.
[[ $(ldd "$prefix/bin/cardwise-cli") == *libLmVarData* ]] || fail "cardwise-cli does not link libLmVarData"

if ((failures > 0)); then
    exit 1
fi
echo "install tree: ${#expected[@]} files, the programs run from $prefix"
