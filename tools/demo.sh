#!/usr/bin/env bash
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

log=$(mktemp)
sim_pid=
cleanup() {
    if [[ -n $sim_pid ]]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
        echo "== simulator stopped"
    fi
    rm -f "$log"
}
trap cleanup EXIT

echo "== starting cardwise-sim with 5 cards on 127.0.0.1"
"$sim" --bind 127.0.0.1 --cards 5 >"$log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
    grep -q "cards on" "$log" && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$log" >&2; exit 1; }
    sleep 0.05
done
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
if [[ -n ${DISPLAY:-}${WAYLAND_DISPLAY:-} && -x $window ]]; then
    echo
    echo "== cardwise ${scope[*]} (close the window to end the demo)"
    "$window" "${scope[@]}"
fi
