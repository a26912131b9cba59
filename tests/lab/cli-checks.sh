# SPDX-License-Identifier: GPL-3.0-or-later
# cardwise-cli in the network lab: sourced by run-lab.sh once the lab is up (the PC namespace
# with adapters on 10.77.1.0/24 and 10.77.2.0/24, the cards on both wires, a router to
# 10.77.3.0/24 and its cards). Every program runs through run_in_pc, which first checks that
# the PC namespace is the lab's own.
# Needs CARDWISE_CLI (the program) and LAB_SIM_ARGS with a short --restart-ms.

readonly cli=${CARDWISE_CLI:?set CARDWISE_CLI to the cardwise-cli program}

# cli_check DESCRIPTION EXPECTED_EXIT EXPECTED_TEXT ARG...: runs cardwise-cli in the PC
# namespace; passes when it exits as expected and its output (stdout and stderr) holds the
# text (an empty text matches anything).
cli_check() {
    local description=$1 expected=$2 text=$3 status=0
    shift 3
    # Test aid: 2 ms ticks make a restart wait two seconds long; sweeps take 100 ms, and the
    # --wait of the searches gives late answers their time. The texts checked are untranslated.
    run_in_pc env CARDWISE_TICK_MS=2 CARDWISE_LANG=default "$cli" "$@" >"$workdir/cli.out" 2>&1 ||
        status=$?
    if [[ $status -eq $expected ]] && grep -qF -- "$text" "$workdir/cli.out"; then
        echo "PASS: $description"
    else
        echo "FAIL: $description"
        echo "  cardwise-cli $*: exit $status, expected $expected and: $text"
        sed 's/^/  | /' "$workdir/cli.out"
        failures=$((failures + 1))
    fi
}

# The MACs of a --csv search, sorted.
listed_macs() {
    awk -F, 'NR > 1 { print $1 }' "$workdir/cli.out" | sort
}

cli_list_check() { # description, expected MACs, search arguments...
    local description=$1 expected=$2
    shift 2
    cli_check "$description (exit 0)" 0 "" search --csv --wait 500 "$@"
    local got
    got=$(listed_macs)
    if [[ "$got" == "$expected" ]]; then
        echo "PASS: $description"
    else
        echo "FAIL: $description"
        echo "  expected: $(echo $expected)"
        echo "  got:      $(echo $got)"
        failures=$((failures + 1))
    fi
}

cli_list_check "Local scope lists the cards on both adapters' wires, none behind the router" \
    "$all"
cli_list_check "Subnet scope lists the cards of that network only" "$second" \
    --subnet "$SUBNET2.0/255.255.255.0"
cli_list_check "Subnet scope does not cross the router" "" --subnet "$SUBNET3.0/24"
cli_list_check "a range sweep across the router finds every routed card and no other" "$routed" \
    --range "$SUBNET3.0-$SUBNET3.255" --rate 20000

# What the list says about the cards on the wires: the adapter that heard each, the notes.
cli_check "a card of a foreign subnet is noted, with the adapter that saw it" 0 \
    "\"ip\":\"$FOREIGN.7\",\"mask\":\"255.255.255.0\",\"gateway\":\"$FOREIGN.1\",\"hw\":2,\"fw\":7,\"adapter\":\"$PC_IF1\",\"notes\":[\"other-subnet\"]}" \
    search --json --wait 500
conflicts=$(grep -o "\"ip\":\"$SUBNET2.120\",[^}]*\"adapter\":\"$PC_IF2\",\"notes\":\[\"address-conflict\"\]" \
    "$workdir/cli.out" | wc -l)
if [[ $conflicts -eq 2 ]]; then
    echo "PASS: two cards with one address are both noted"
else
    echo "FAIL: two cards with one address are both noted: $conflicts noted"
    failures=$((failures + 1))
fi

c21=$(mac_of c21)
cli_check "set with the right password is acknowledged" 0 "$c21: setting request is accessed" \
    set "$c21" --password lemon "HTTP Port=8080" --no-restart
cli_check "the changed setting is what the card reports" 0 '"value":"8080","memo":"default:80"' \
    params "$c21" --json
cli_check "set with a wrong password is rejected by the card" 3 "Password Error" \
    set "$c21" --password wrong "HTTP Port=8081" --no-restart

c12=$(mac_of c12)
cli_check "set with --wait-restart lists the card with its new address" 0 \
    "\"mac\":\"$c12\",\"actual_ip\":\"$SUBNET1.102\",\"ip\":\"$SUBNET1.150\"" \
    set "$c12" --subnet "$SUBNET1.0/24" --password lemon "IP Addr=$SUBNET1.150" \
    --wait-restart --json

c31=$(mac_of c31)
cli_check "set in range scope is acknowledged by a routed card, which --wait-restart lists at its new address" 0 \
    "\"mac\":\"$c31\",\"actual_ip\":\"$ROUTED_SPARE\",\"ip\":\"$ROUTED_SPARE\"" \
    set "$c31" --range "$SUBNET3.100-$SUBNET3.160" --password lemon "IP Addr=$ROUTED_SPARE" \
    --wait-restart --json

# A card that does not answer: its simulator is stopped.
c13_ns="cwlab-$tag-c13"
for pid in $(ip netns pids "$c13_ns"); do
    kill "$pid" 2>/dev/null || true
done
cli_check "set to a card that does not answer ends with no answer" 4 \
    "no card with MAC $(mac_of c13) answered" \
    set "$(mac_of c13)" --password lemon "HTTP Port=8080"
