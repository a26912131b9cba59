#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The dissector against the codec on real traffic: dumpcap records lo while cardwise-cli
# searches, reads a card's parameters and sets values (a wrong password, an acknowledged
# setting, the restart) against cardwise-sim; then every captured frame, and mutants of them,
# must read in tshark as cardwise-cli decode reads the same bytes.
#
#   tools/netns-run capture-test.sh CARDWISE_CLI CARDWISE_SIM DISSECTOR_LUA [KEEP.pcapng]
#
# Exit status: 0 passed, 1 failed, 77 skipped (no tshark or dumpcap, except under CI=true).
set -euo pipefail

if [[ $# -lt 3 || $# -gt 4 ]]; then
    echo "usage: $0 CARDWISE_CLI CARDWISE_SIM DISSECTOR_LUA [KEEP.pcapng]" >&2
    exit 1
fi
readonly cli=$1 sim=$2 lua=$3 keep=${4:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

for tool in tshark dumpcap python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        [[ "${CI:-}" == true ]] && { echo "FAIL: $tool is missing" >&2; exit 1; }
        echo "SKIPPED: $tool is missing" >&2
        exit 77
    fi
done

# shellcheck source=../../../tools/lib/netsafe.sh
source "$here/../../../tools/lib/netsafe.sh"
# Nothing is sent unless this is a namespace of its own that holds nothing but lo.
cw_require_isolation

export CARDWISE_LANG=default
readonly LOOP=(--subnet 127.0.0.1/255.255.255.255)
readonly CARD=00-1A-2B-00-00-02 # the second of the simulated fleet, at 192.168.1.11
cw_make_work_dir
work=$cw_work

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# wait_for FILE TEXT: until a background program has written TEXT (at most ten seconds).
wait_for() {
    for _ in $(seq 200); do
        grep -qF -- "$2" "$1" 2>/dev/null && return 0
        sleep 0.05
    done
    cat "$1" >&2
    fail "no '$2' in $1"
}

# run EXPECTED_EXIT ARG...: one cardwise-cli run, recorded by the capture.
run() {
    local expected=$1 status=0
    shift
    "$cli" "$@" >"$work/out" 2>"$work/err" || status=$?
    if [[ $status -ne $expected ]]; then
        cat "$work/out" "$work/err" >&2
        fail "cardwise-cli $* exited $status, expected $expected"
    fi
}

# Given the capture on lo and a fleet of five cards
dumpcap -q -i lo -f "udp port 16788 or udp port 16789" -w "$work/cards.pcapng" 2>"$work/dumpcap.log" &
dumpcap_pid=$!
stop_dumpcap() { kill "$dumpcap_pid" 2>/dev/null || true; wait "$dumpcap_pid" 2>/dev/null || true; }
cw_on_exit stop_dumpcap
wait_for "$work/dumpcap.log" "Capturing on"
cw_sim_start "$work/sim.log" "$sim" --bind 127.0.0.1 --cards 5 --restart-ms 300 ||
    fail "the simulator did not start"

# When the assistant searches, reads parameters, is refused, is acknowledged and waits for
# the restart
run 0 search "${LOOP[@]}" --wait 300
run 0 params "$CARD" "${LOOP[@]}" --json
cp "$work/out" "$work/params.json"
run 3 set "$CARD" "${LOOP[@]}" --password wrong "HTTP Port=8080" --no-restart
run 0 set "$CARD" "${LOOP[@]}" --password lemon "HTTP Port=8080" --no-restart
# Test aid: 2 ms ticks make the restart wait two seconds long.
CARDWISE_TICK_MS=2 run 0 set "$CARD" "${LOOP[@]}" --password lemon "IP Addr=192.168.1.77" --wait-restart

kill -INT "$dumpcap_pid"
wait "$dumpcap_pid" || true
if [[ -n $keep ]]; then cp "$work/cards.pcapng" "$keep"; fi

# Then the Info column reads like the socket's trace
tshark -n -r "$work/cards.pcapng" -X "lua_script:$lua" -T fields -e _ws.col.Info \
    >"$work/info" 2>"$work/tshark.err" || { cat "$work/tshark.err" >&2; fail "tshark failed"; }
for line in "Search request" "Device information $CARD 192.168.1.11" \
    "Set request to $CARD (11 items)" "Set request to $CARD (12 items)" "Error reply: password" \
    "Set acknowledgement from $CARD 192.168.1.11" "Set acknowledgement from $CARD 192.168.1.77"; do
    grep -qxF -- "$line" "$work/info" || { cat "$work/info" >&2; fail "no frame reads '$line'"; }
done

# And every frame, and mutants of them, read as the codec reads them
python3 "$here/check_dissector.py" --cli "$cli" --lua "$lua" capture "$work/cards.pcapng" \
    --params "$work/params.json" --mutants 300
