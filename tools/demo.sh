#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Demo: a small fleet of simulated cards on 127.0.0.1, found, shown and changed with
# cardwise-cli. Needs no privileges and sends nothing off 127.0.0.1.
#
#   tools/demo.sh [BUILD_DIR]          (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${BUILD_DIR:-$root/build}}
sim=$build/cardwise/sim/cardwise-sim
cli=$build/cardwise/cli/cardwise-cli
# A search of the single address 127.0.0.1: no broadcast, nothing leaves the machine.
scope=(--subnet 127.0.0.1/255.255.255.255)

for program in "$sim" "$cli"; do
    [[ -x $program ]] || { echo "demo: $program is missing; build first" >&2; exit 1; }
done

# shellcheck source=lib/netsafe.sh
source "$root/tools/lib/netsafe.sh"
CW_ME=demo
log=$(mktemp)
remove_log() { rm -f "$log"; }
cw_on_exit remove_log

echo "== starting cardwise-sim with 5 cards on 127.0.0.1"
cw_sim_start "$log" "$sim" --bind 127.0.0.1 --cards 5 || exit 1
stop_fleet() {
    cw_sim_stop
    echo "== simulator stopped"
}
cw_on_exit stop_fleet
cat "$log"

echo
echo "== cardwise-cli search ${scope[*]}"
"$cli" search "${scope[@]}"

mac=$("$cli" search "${scope[@]}" --csv | awk -F, 'NR == 2 { print $1 }')
[[ -n $mac ]] || { echo "demo: no card answered" >&2; exit 1; }

echo
echo "== cardwise-cli params $mac"
"$cli" params "$mac" "${scope[@]}"

echo
echo "== cardwise-cli set $mac --password lemon \"HTTP Port=8080\" --no-restart"
"$cli" set "$mac" "${scope[@]}" --password lemon "HTTP Port=8080" --no-restart

echo
echo "== the card's HTTP port now"
"$cli" params "$mac" "${scope[@]}" | grep -E "ParamName|HTTP Port"

# With a display, the window opens on the same fleet; the simulator stops when it closes.
window=$build/cardwise/ui/cardwise
echo
if [[ ! -x $window ]]; then
    echo "== the window program $window is not built; skipped the window"
elif [[ -n ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]]; then
    echo "== cardwise ${scope[*]} (close the window to end the demo)"
    "$window" "${scope[@]}"
else
    echo "== no display (DISPLAY and WAYLAND_DISPLAY are unset): skipped the window."
    echo "   To open it, run the demo again from a desktop session (bash tools/dev demo),"
    echo "   or start a fleet and the window yourself:"
    echo "     $sim --bind 127.0.0.1 --cards 5 &"
    echo "     $window ${scope[*]}"
fi
