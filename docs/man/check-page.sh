#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Keeps a manual page true to its program.
#
#   check-page.sh options PROGRAM PAGE.scd   the page documents exactly the options (and
#                                            commands) that PROGRAM --help lists, and every
#                                            CARDWISE_ variable the help mentions
#   check-page.sh render PAGE.1              man renders the page without a warning
set -euo pipefail

usage() {
    echo "usage: $0 options PROGRAM PAGE.scd | render PAGE.1" >&2
    exit 1
}

# compare WHAT HELP_LIST PAGE_LIST: both lists, one name a line, sorted.
compare() {
    if [[ $2 != "$3" ]]; then
        echo "$page and '$program --help' name different $1:" >&2
        diff <(echo "$2") <(echo "$3") | sed -n 's/^< /  only in --help: /p; s/^> /  only in the page: /p' >&2
        status=1
    fi
}

# The lines of one section of an scdoc page.
section() {
    awk -v name="$1" '/^# / { inside = ($0 == "# " name); next } inside' "$page"
}

case ${1:-} in
options)
    [[ $# -eq 3 ]] || usage
    program=$2 page=$3 status=0
    help=$("$program" --help)
    # An option is documented on a line of its own that starts with it: *--subnet* _ADDRESS_.
    compare options \
        "$(grep -o -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u)" \
        "$(grep '^\*-' "$page" | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)"
    # Commands: the usage lines "  PROGRAM COMMAND ..." and the entries of COMMANDS.
    name=${program##*/}
    compare commands \
        "$(sed -n "s/^\(Usage:\)\? *$name \([a-z][a-z-]*\).*/\2/p" <<<"$help" | sort -u)" \
        "$(section COMMANDS | sed -n 's/^\*\([a-z][a-z-]*\)\*.*/\1/p' | sort -u)"
    variables=$(grep -o 'CARDWISE_[A-Z_]*' <<<"$help" | sort -u || true)
    documented=$(section ENVIRONMENT | grep -o '^\*CARDWISE_[A-Z_]*' | tr -d '*' | sort -u || true)
    missing=$(comm -23 <(echo "$variables") <(echo "$documented"))
    if [[ -n $missing ]]; then
        echo "$page lacks the variables that '$program --help' names: $missing" >&2
        status=1
    fi
    exit $status
    ;;
render)
    [[ $# -eq 2 ]] || usage
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$2" 2>&1 >/dev/null)
    if [[ -n $warnings ]]; then
        echo "$2: $warnings" >&2
        exit 1
    fi
    ;;
*) usage ;;
esac
