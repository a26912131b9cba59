# cardwise-cli in the network lab: sourced by run-lab.sh once the lab is up (the PC namespace
# with adapters on 10.77.1.0/24 and 10.77.2.0/24, five simulated cards). Every program runs
# through run_in_pc, which first checks that the PC namespace is the lab's own.
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

cli_list_check "Local scope lists the cards of both adapters' networks" "$all"
cli_list_check "Subnet scope lists the cards of that network only" "$second" \
    --subnet "$SUBNET2.0/255.255.255.0"

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

# A card that does not answer: its simulator is stopped.
c13_ns="cwlab-$tag-c13"
for pid in $(ip netns pids "$c13_ns"); do
    kill "$pid" 2>/dev/null || true
done
cli_check "set to a card that does not answer ends with no answer" 4 \
    "no card with MAC $(mac_of c13) answered" \
    set "$(mac_of c13)" --password lemon "HTTP Port=8080"
