#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# cardwise-cli against cardwise-sim on the loopback of a network namespace of its own.
#
#   tools/netns-run cli-sim-test.sh SCENARIO CARDWISE_CLI CARDWISE_SIM CARDWISE_FLOOD
#
# Scenarios: search search-rounds stray-error-replies params set-acknowledged set-wrong-password
# password-sources set-checks-fail set-no-answer wait-restart usage decode completion-params
# compare. Exit status 0 when the scenario passed, 1 otherwise.
set -euo pipefail

if [[ $# -ne 4 ]]; then
    echo "usage: $0 SCENARIO CARDWISE_CLI CARDWISE_SIM CARDWISE_FLOOD" >&2
    exit 1
fi
readonly scenario=$1 cli=$2 sim=$3 flood=$4

# shellcheck source=../../../tools/lib/netsafe.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../../tools/lib/netsafe.sh"
# Nothing is sent unless this is a namespace of its own that holds nothing but lo.
cw_require_isolation

# The checks read the untranslated texts, whatever the locale.
export CARDWISE_LANG=default
readonly LOOP=(--subnet 127.0.0.1/255.255.255.255)
readonly CARD=00-1A-2B-00-00-02 # the second of the simulated fleet, at 192.168.1.11
cw_make_work_dir
work=$cw_work

fail() {
    echo "FAIL ($scenario): $*" >&2
    echo "--- stdout" >&2; cat "$work/out" >&2 2>/dev/null || true
    echo "--- stderr" >&2; cat "$work/err" >&2 2>/dev/null || true
    exit 1
}

start_sim() {
    cw_sim_start "$work/sim.log" "$sim" --bind 127.0.0.1 --cards 5 "$@" ||
        fail "the simulator did not start"
}

# run EXPECTED_EXIT ARG...: runs the CLI, keeping its output in $work/out and $work/err.
run() {
    local expected=$1 status=0
    shift
    "$cli" "$@" >"$work/out" 2>"$work/err" || status=$?
    [[ $status -eq $expected ]] || fail "cardwise-cli $* exited $status, expected $expected"
}
has() { grep -qF -- "$2" "$work/$1" || fail "$1 lacks: $2"; }
lacks() { ! grep -qF -- "$2" "$work/$1" || fail "$1 has: $2"; }
lines() { [[ $(wc -l <"$work/$1") -eq $2 ]] || fail "$1 has $(wc -l <"$work/$1") lines, not $2"; }
http_port_is() {
    run 0 params "$CARD" "${LOOP[@]}" --json
    has out "\"name\":\"HTTP Port\",\"value\":\"$1\",\"memo\":\"default:80\",\"id\":17"
}

case $scenario in
search)
    start_sim
    run 0 search "${LOOP[@]}"
    has out "IP Addr(Act)  IP Addr(Set)  MAC"
    has out "5 card(s) found"
    run 0 search "${LOOP[@]}" --json --wait 100
    [[ $(grep -o '"mac":' "$work/out" | wc -l) -eq 5 ]] || fail "not five cards"
    has out '{"devices":[{"mac":"00-1A-2B-00-00-01","actual_ip":"127.0.0.1","ip":"192.168.1.10"'
    has out '"hw":2,"fw":201,"adapter":"lo","notes":[]}'
    run 0 search "${LOOP[@]}" --csv
    lines out 6
    has out "00-1A-2B-00-00-05,127.0.0.1,192.168.1.14,255.255.255.0,192.168.1.1,2,204,lo,"
    # Local scope: lo is no adapter, so only the limited broadcast goes out, and the simulator,
    # bound to 127.0.0.1, does not hear it.
    run 0 search --json
    has out '{"devices":[]}'
    ;;
search-rounds)
    # Two sweeps on one socket: ten requests reach the simulator, each card is listed once.
    start_sim --trace 20
    run 0 search "${LOOP[@]}" --rounds 2 --json
    [[ $(grep -o '"mac":' "$work/out" | wc -l) -eq 5 ]] || fail "not five cards"
    [[ $(grep -c 'cards answer' "$work/sim.log") -eq 10 ]] ||
        fail "$(grep -c 'cards answer' "$work/sim.log") searches reached the simulator, not 10"
    ;;
params)
    start_sim
    run 0 params "$CARD" "${LOOP[@]}"
    has out "MAC $CARD"
    has out "11   HTTP Port         80"
    http_port_is 80
    has out '{"no":4,"name":"Hw Ver","value":"2","memo":"Read only","id":0}'
    run 4 params 00-1A-2B-00-00-09 "${LOOP[@]}"
    has err "no card with MAC 00-1A-2B-00-00-09 answered"
    ;;
set-acknowledged)
    start_sim
    run 0 set "$CARD" "${LOOP[@]}" --password lemon "HTTP Port=8080" --no-restart
    has out "$CARD: setting request is accessed"
    http_port_is 8080
    # By identifier, with JSON output; another card is left alone.
    run 0 set "${CARD%2}3" "${LOOP[@]}" --password lemon 17=8081 --no-restart --json
    has out '{"mac":"00-1A-2B-00-00-03","result":"acknowledged"'
    http_port_is 8080
    ;;
set-wrong-password)
    start_sim
    run 3 set "$CARD" "${LOOP[@]}" --password wrong "HTTP Port=8080" --no-restart
    has err "Password Error"
    lacks out "accessed"
    http_port_is 80
    ;;
password-sources)
    # The first line of --password-file, else CARDWISE_PASSWORD; none and no terminal: usage.
    start_sim
    printf 'lemon\nsecond line\n' >"$work/password"
    run 0 set "$CARD" "${LOOP[@]}" --password-file "$work/password" "HTTP Port=8081" --no-restart
    http_port_is 8081
    CARDWISE_PASSWORD=wrong run 3 set "$CARD" "${LOOP[@]}" "HTTP Port=8082" --no-restart
    CARDWISE_PASSWORD=wrong run 0 set "$CARD" "${LOOP[@]}" --password-file "$work/password" \
        "HTTP Port=8083" --no-restart
    run 1 set "$CARD" "${LOOP[@]}" "HTTP Port=8084" --no-restart </dev/null
    has err "no password: give --password-file FILE, set CARDWISE_PASSWORD"
    lacks err "Password:"
    http_port_is 8083
    # A plan whose rows all bring their password needs none from elsewhere.
    printf 'MAC,HTTP Port,Password\n%s,8085,lemon\n' "$CARD" >"$work/plan.csv"
    run 0 apply "$work/plan.csv" "${LOOP[@]}" --no-restart </dev/null
    has out "$CARD  2     verified  HTTP Port: 8083 -> 8085"
    has out "1 verified, 0 not-applied, 0 password-rejected, 0 no-answer, 0 not-found"
    ;;
set-checks-fail)
    start_sim
    run 2 set "$CARD" "${LOOP[@]}" --password lemon "Gateway=10.0.0.1" --no-restart
    has err "ERROR: The Gateway is invalid"
    run 2 set "$CARD" "${LOOP[@]}" --password lemon "Mask=0.0.0.0" --no-restart
    has err "ERROR: The IpAddr or Mask is invalid"
    http_port_is 80
    ;;
set-no-answer)
    start_sim
    run 4 set 00-1A-2B-00-00-09 "${LOOP[@]}" --password lemon "HTTP Port=8080"
    has err "no card with MAC 00-1A-2B-00-00-09 answered the search"
    # The card answers the search, then falls silent before the set request reaches it.
    "$cli" set "$CARD" "${LOOP[@]}" --password lemon "HTTP Port=8080" --trace 20 \
        >"$work/out" 2>"$work/err" &
    cli_pid=$!
    for _ in $(seq 200); do
        grep -q "RCV IP" "$work/err" && break
        sleep 0.01
    done
    cw_sim_stop
    status=0
    wait "$cli_pid" || status=$?
    [[ $status -eq 4 ]] || fail "exit $status, expected 4"
    has err "no answer from $CARD"
    ;;
stray-error-replies)
    # Forged error replies of cards that no request addressed, from before the search until
    # after the set: they neither cut the sweep short nor answer the set request.
    start_sim --reply-jitter-ms 500
    "$flood" --kinds error --rate 200 2>"$work/flood.log" &
    flood_pid=$!
    stop_flood() { kill "$flood_pid" 2>/dev/null || true; }
    cw_on_exit stop_flood
    run 0 search "${LOOP[@]}" --trace 20
    has err "CommandId------>8"
    has out "5 card(s) found"
    run 0 set "$CARD" "${LOOP[@]}" --password lemon "HTTP Port=8080" --no-restart
    has out "$CARD: setting request is accessed"
    ;;
wait-restart)
    start_sim --restart-ms 300
    # Test aid: 2 ms ticks make the 1,000-tick restart wait two seconds long.
    CARDWISE_TICK_MS=2 run 0 set "$CARD" "${LOOP[@]}" --password lemon "IP Addr=192.168.1.77" \
        --wait-restart --json
    has out '"result":"acknowledged"'
    has out '{"mac":"00-1A-2B-00-00-02","actual_ip":"127.0.0.1","ip":"192.168.1.77"'
    [[ $(grep -o '"mac":' "$work/out" | wc -l) -eq 6 ]] || fail "not the set card and five listed"
    ;;
usage)
    run 0 --help
    has out "cardwise-cli set MAC [--password-file FILE | --password PW]"
    run 1 params 00-1A-2B
    has err "bad MAC address '00-1A-2B'"
    has err "Try 'cardwise-cli --help'."
    run 1 set "$CARD" --password lemon "HTTP Prot=1"
    has err "unknown parameter name 'HTTP Prot'"
    run 1 set "$CARD" --password lemon "Gateway=gateway"
    has err "'gateway' is not an address"
    lines out 0
    ;;
decode)
    # A set request: the address item and the restart item.
    frame="D7 09 D7 09 25 00 0F 00 1E 00 03 4D 03 02 10 01 00 00 00
           6C 65 6D 6F 6E 00 00 00 00 00 00 00 00 00 00 00  00 1A 2B 3C 4D 5E
           01 00 08 04 C0 A8 01 64  00 FF 01 01 01  FF FF 00 00"
    echo "$frame" | run 0 decode --hex
    has out "Frame of 58 bytes: set request (broadcast form), CommandId 0x1002"
    has out "Pdu HeadLen------>37 DataLen------>15 Order------>30"
    has out "Pdu Version------>3 Control------>845 CommandId------>4098"
    has out "Password:6C 65 6D 6F 6E 00 "
    has out "Mac ADDR:00-1A-2B-3C-4D-5E"
    has out "nSize=[2]"
    has out "ID=[268566529],type=[VD_DWORD],value=[1677830336],length=[4]"
    has out "ID=[268631808],type=[VD_DWORD],value=[1],length=[4]"
    # The same bytes raw, from a file.
    for byte in $frame; do printf "\\x$byte"; done >"$work/frame.bin"
    run 0 decode "$work/frame.bin"
    has out "nSize=[2]"
    # A text item that would clear the screen reaches the terminal escaped.
    echo "D7 09 D7 09 25 00 0B 00 00 00 01 00 00 05 10 00 00 01 00
          00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00  00 1A 2B 3C 4D 5E
          0D 00 0B 05 1B 5B 32 4A 00  FF FF 00 00" | run 0 decode --hex
    has out 'type=[VD_string],value=[\x1b[2J]'
    lacks out $'\x1b'
    echo "00 01 02 03" | run 2 decode --hex
    has err "bad sync header"
    echo "D7 09 XX" | run 1 decode --hex
    has err "not a pair of hexadecimal digits"
    ;;
compare)
    # Given a saved list of three cards
    fleet() {
        cw_sim_config "$work/sim.json" "$@"
        cw_sim_start "$work/sim.log" "$sim" --bind 127.0.0.1 --trace 20 --config "$work/sim.json" ||
            fail "the simulator did not start"
    }
    A="00-1A-2B-00-00-0A 192.168.1.10 255.255.255.0 192.168.1.1 2 201"
    B="00-1A-2B-00-00-0B 192.168.1.11 255.255.255.0 192.168.1.1 2 201"
    C="00-1A-2B-00-00-0C 192.168.1.12 255.255.255.0 192.168.1.1 2 201"
    fleet "$A" "$B" "$C"
    run 0 search "${LOOP[@]}" --json
    cp "$work/out" "$work/site.json"
    run 0 search "${LOOP[@]}" --compare "$work/site.json"
    has out "0 new, 0 missing, 0 changed"
    # When card A is gone, card D is new and card B has another address
    cw_sim_stop
    fleet "${B/.11 /.77 }" "$C" "00-1A-2B-00-00-0D 192.168.1.13 255.255.255.0 192.168.1.1 2 201"
    # Then the comparison names exactly those three and exits 5
    run 5 search "${LOOP[@]}" --compare "$work/site.json" --json
    has out '{"new":[{"mac":"00-1A-2B-00-00-0D","actual_ip":"127.0.0.1","ip":"192.168.1.13"'
    has out '"missing":[{"mac":"00-1A-2B-00-00-0A","actual_ip":"127.0.0.1","ip":"192.168.1.10"'
    has out '"changed":[{"mac":"00-1A-2B-00-00-0B","actual_ip":"127.0.0.1","ip":"192.168.1.77"'
    has out '"fields":{"ip":["192.168.1.11","192.168.1.77"]}}]}'
    [[ $(grep -o '"mac":' "$work/out" | wc -l) -eq 3 ]] || fail "not three cards in the comparison"
    run 5 search "${LOOP[@]}" --compare "$work/site.json"
    has out "00-1A-2B-00-00-0B  IP Addr(Set)  192.168.1.11  192.168.1.77"
    has out "1 new, 1 missing, 1 changed"
    # A file that is no saved list is refused before anything is sent
    echo '{"devices":[{"mac":"00-1A-2B"}]}' >"$work/bad.json"
    searches=$(grep -c 'cards answer' "$work/sim.log")
    run 1 search "${LOOP[@]}" --compare "$work/bad.json"
    has err "bad.json: card 1: \"mac\" is not a MAC address"
    [[ $(grep -c 'cards answer' "$work/sim.log") -eq $searches ]] || fail "a search was sent"
    ;;
completion-params)
    # The bash completion offers for set exactly the parameters a card lets set change.
    source "$(dirname "$0")/../../res/completion/cardwise-cli"
    start_sim
    run 0 params "$CARD" "${LOOP[@]}" --json
    writable=$(grep -o '"name":"[^"]*","value":"[^"]*","memo":"[^"]*","id":[1-9]' "$work/out" |
        sed 's/^"name":"\([^"]*\)".*/\1/' | sort)
    [[ -n $writable ]] || fail "params listed no writable parameter"
    offered=$(printf '%s\n' "${_cardwise_cli_params[@]}" | sort)
    [[ $offered == "$writable" ]] ||
        fail "completion offers: $(echo $offered); the card's writable parameters: $(echo $writable)"
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 1
    ;;
esac
echo "PASS: $scenario"
