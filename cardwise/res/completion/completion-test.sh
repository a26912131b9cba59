#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion of cardwise-cli and cardwise-sim: a table of command lines and the
# words each offers. Runs the programs with --help only.
#
#   completion-test.sh CARDWISE_CLI CARDWISE_SIM
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 CARDWISE_CLI CARDWISE_SIM" >&2
    exit 1
fi
declare -A programs=([cli]=$1 [sim]=$2)
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=cardwise-cli
source "$here/cardwise-cli"
# shellcheck source=cardwise-sim
source "$here/cardwise-sim"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/frame.txt" "$work/fleet.json"

failures=0
# expect PROGRAM WORD... :: OFFERED...: completing the last WORD offers exactly OFFERED.
expect() {
    local program=${programs[$1]} function
    [[ $1 == cli ]] && function=_cardwise_cli || function=_cardwise_sim
    shift
    local words=("$program")
    while [[ $1 != "::" ]]; do
        words+=("$1")
        shift
    done
    shift
    COMP_WORDS=("${words[@]}")
    COMP_CWORD=$((${#words[@]} - 1))
    COMPREPLY=()
    "$function" || true # a completion function's status means nothing
    local got want
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | paste -sd ' ')
    want=$(printf '%s\n' "$@" | sed '/^$/d' | sort | paste -sd ' ')
    if [[ $got != "$want" ]]; then
        echo "FAIL: ${words[*]:1}| offers [$got], expected [$want]" >&2
        failures=$((failures + 1))
    fi
}

mac=00-1A-2B-00-00-01
expect cli '' :: --help apply decode help params search set
expect cli se :: search set
expect cli search -- :: --compare --csv --help --json --range --rate --rounds --subnet --trace --wait
expect cli search --compare "$work/fl" :: "$work/fleet.json"
expect cli set --w :: --wait-restart
expect cli params --c :: # params has no --csv
expect cli search --subnet '' ::
expect cli search --range '' ::
expect cli params --r :: --range --rate --rounds
expect cli search --trace 4 ::
expect cli search --rounds '' ::
expect cli set "$mac" ::
expect cli set "$mac" --password lemon HTTP :: 'HTTP\ Enable=' 'HTTP\ Port='
expect cli set "$mac" --password lemon 'http\ p' :: 'HTTP\ Port='
expect cli set "$mac" 'Telnet\ Port' = '' :: # bash splits words at =
expect cli params "$mac" '' ::
expect cli decode --hex "$work/fr" :: "$work/frame.txt"
expect cli apply --d :: --dry-run
expect cli apply --password-file "$work/fr" :: "$work/frame.txt"
expect cli apply --no-restart "$work/fr" :: "$work/frame.txt"
expect sim --c :: --cards --config
expect sim --re :: --reorder --reply-jitter-ms --restart-ms
expect sim --config "$work/fl" :: "$work/fleet.json"
expect sim --port '' ::
expect sim --bind 127 ::

if ((failures > 0)); then
    echo "$failures completion case(s) failed" >&2
    exit 1
fi
echo "completion: every case passed"
