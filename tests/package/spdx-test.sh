#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# tools/spdx on a scratch work tree: a table of files, the first lines each must have after
# `add`; `check` fails before and passes after; a second `add` changes nothing.
#
#   spdx-test.sh TOOLS_SPDX
set -euo pipefail
spdx=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
git init -q .

# file | its text before (\n between lines) | its first lines after
cases=(
    "lmvardata/src/Value.cpp|// Values.|// SPDX-License-Identifier: LGPL-2.1-or-later\n// Values."
    "cardwise/cli/main.cpp|// The tool.|// SPDX-License-Identifier: GPL-3.0-or-later\n// The tool."
    "tools/run|#!/bin/sh\necho|#!/bin/sh\n# SPDX-License-Identifier: GPL-3.0-or-later\necho"
    "tools/empty-script|#!/bin/sh|#!/bin/sh\n# SPDX-License-Identifier: GPL-3.0-or-later"
    "cardwise/res/Dlg.ui|<?xml version=\"1.0\"?>\n<ui/>|<?xml version=\"1.0\"?>\n<!-- SPDX-License-Identifier: GPL-3.0-or-later -->\n<ui/>"
    "cardwise/res/x.metainfo.xml|<?xml version=\"1.0\"?>|<?xml version=\"1.0\"?>\n<!-- SPDX-License-Identifier: CC0-1.0 -->"
    "docs/man/x.1.scd|x(1)\n\n# NAME|x(1)\n; SPDX-License-Identifier: GPL-3.0-or-later\n\n# NAME"
    "lmsystem/CMakeLists.txt|# SPDX-License-Identifier: GPL-3.0-or-later\nadd_library()|# SPDX-License-Identifier: LGPL-2.1-or-later\nadd_library()"
    "lmsystem/src/exports.map|{ local: *; };|/* SPDX-License-Identifier: LGPL-2.1-or-later */\n{ local: *; };"
    "cmake/library.pc.in|Name: x|# SPDX-License-Identifier: LGPL-2.1-or-later\nName: x"
    "cmake/Other.cmake|set(x)|# SPDX-License-Identifier: GPL-3.0-or-later\nset(x)"
    "tests/data/card.json|{}|{}"
    "README.txt|plain|plain"
)
for row in "${cases[@]}"; do
    IFS='|' read -r file before _ <<<"$row"
    mkdir -p "$(dirname "$file")"
    printf '%b\n' "$before" >"$file"
done
chmod +x tools/run
git add -A

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

"$spdx" check >check.out 2>&1 && fail "check passed before add"
[[ $(grep -c wants check.out) -eq 11 ]] || fail "check listed $(grep -c wants check.out) files, not 11"
"$spdx" add
for row in "${cases[@]}"; do
    IFS='|' read -r file _ after <<<"$row"
    [[ $(cat "$file") == "$(printf '%b' "$after")" ]] || fail "$file reads: $(cat "$file")"
done
[[ -x tools/run ]] || fail "add lost the execute bit of tools/run"
"$spdx" check >/dev/null || fail "check failed after add"
before=$(git ls-files | xargs md5sum)
"$spdx" add
[[ $(git ls-files | xargs md5sum) == "$before" ]] || fail "a second add changed files"

if ((failures > 0)); then
    exit 1
fi
echo "spdx: every case passed"
