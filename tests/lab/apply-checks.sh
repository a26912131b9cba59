# SPDX-License-Identifier: GPL-3.0-or-later
# cardwise-cli apply in the network lab: sourced by run-lab.sh once the lab is up. Adds six
# cards on each of the PC's two wires (one namespace per wire, cards at addresses of their own,
# their simulators tracing every set request they receive), so that the PC's two subnets hold
# 20 cards; one of them is silent and one acknowledges without applying. Then: a plan that gives
# two cards one address is refused and nothing reaches a card; --dry-run sends no set request;
# a plan for all 20 with one wrong password ends with exit 6 and exactly those three results,
# the other 17 verified by reading back, and no trace of the password at trace level 0.
# Needs CARDWISE_CLI (the program) and LAB_SIM_ARGS with a short --restart-ms.

readonly cli=${CARDWISE_CLI:?set CARDWISE_CLI to the cardwise-cli program}

fleet_mac() { # wire, index -> MAC
    printf '00-1A-2B-77-F%d-%02d' "$1" "$2"
}
readonly SILENT=$(fleet_mac 2 1) INERT=$(fleet_mac 2 2) WRONG=$(fleet_mac 1 3)

for wire in 1 2; do
    ns="cwlab-$tag-f$wire"
    add_namespace "$ns"
    ip -n "$ns" link add eth0 type veth peer name "f$wire" netns "$SW"
    ip -n "$SW" link set "f$wire" master "br$wire" up
    fleet=()
    for index in 0 1 2 3 4 5; do
        address=10.77.$wire.$((160 + index))
        ip -n "$ns" addr add "$address/24" dev eth0
        more=
        [[ $(fleet_mac "$wire" "$index") == "$SILENT" ]] && more='"silent": true'
        [[ $(fleet_mac "$wire" "$index") == "$INERT" ]] && more='"applies": false'
        fleet+=("$(fleet_mac "$wire" "$index") $address 255.255.255.0 10.77.$wire.1 2 9 $more")
    done
    ip -n "$ns" link set eth0 up
    cw_sim_config "$workdir/f$wire.json" "${fleet[@]}"
    cw_sim_start "$workdir/f$wire.log" ip netns exec "$ns" env CARDWISE_TRACE=20 "$sim" \
        --bind 0.0.0.0 --config "$workdir/f$wire.json" --first-address "10.77.$wire.160" \
        "${sim_args[@]}" || exit 1
done

# apply_run EXPECTED_EXIT DESCRIPTION ARG...: cardwise-cli apply in the PC namespace; output
# in apply.out (stdout) and apply.err.
apply_run() {
    local expected=$1 description=$2 status=0
    shift 2
    run_in_pc env CARDWISE_TICK_MS=2 CARDWISE_LANG=default "$cli" apply "$@" \
        >"$workdir/apply.out" 2>"$workdir/apply.err" || status=$?
    if [[ $status -eq $expected ]]; then
        echo "PASS: $description (exit $status)"
    else
        echo "FAIL: $description: exit $status, expected $expected"
        sed 's/^/  | /' "$workdir/apply.out" "$workdir/apply.err"
        failures=$((failures + 1))
    fi
}

expect_text() { # description, file, text
    if grep -qF -- "$3" "$2"; then
        echo "PASS: $1"
    else
        echo "FAIL: $1: no '$3' in"
        sed 's/^/  | /' "$2"
        failures=$((failures + 1))
    fi
}

# The set requests the added cards received: the simulators trace each one.
set_requests() {
    cat "$workdir"/f[12].log | grep -cE 'sim: .*(set request|settings applied|wrong password)' ||
        true
}

echo lemon >"$workdir/password"
printf 'MAC,IP Addr\n%s,10.77.1.199\n%s,10.77.1.199\n' "$(fleet_mac 1 0)" "$(fleet_mac 1 1)" \
    >"$workdir/clash.csv"
apply_run 2 "a plan giving two cards one address is refused" "$workdir/clash.csv" \
    --password-file "$workdir/password" --no-restart
expect_text "the refusal names the line and both cards" "$workdir/apply.err" \
    "clash.csv:3: $(fleet_mac 1 0) and $(fleet_mac 1 1) would both have address 10.77.1.199"

{
    echo "MAC,HTTP Port,SNMP Enable,Telnet Port,IP Addr,Password"
    echo "*,8080,0,2323,,"
    echo "$(mac_of c11),,,,10.77.1.111,"
    echo "$WRONG,,,,,wrong"
    echo "$SILENT,8081,,,,"
} >"$workdir/plan.csv"
apply_run 0 "--dry-run passes the plan" "$workdir/plan.csv" --dry-run --json
expect_text "--dry-run shows the current and the planned values" "$workdir/apply.out" \
    "\"mac\":\"$(mac_of c11)\",\"line\":3,\"result\":\"planned\",\"changes\":[{\"id\":17,\"name\":\"HTTP Port\",\"current\":\"80\",\"planned\":\"8080\",\"read\":null}"
if [[ $(set_requests) -eq 0 ]]; then
    echo "PASS: no card received a set request before the real run"
else
    echo "FAIL: the cards received $(set_requests) set request(s) from a refused plan or a dry run"
    failures=$((failures + 1))
fi

apply_run 6 "apply to 20 cards with a wrong password, a silent card and an inert one" \
    "$workdir/plan.csv" --password-file "$workdir/password" --json --trace 0
results=$(grep -o '"mac":"[^"]*","line":[0-9]*,"result":"[a-z-]*"' "$workdir/apply.out" |
    sed 's/"mac":"\([^"]*\)".*"result":"\([a-z-]*\)"/\1 \2/' | sort)
unverified=$(grep -v ' verified$' <<<"$results" || true)
expected_unverified=$(printf '%s not-applied\n%s not-found\n%s password-rejected\n' \
    "$INERT" "$SILENT" "$WRONG" | sort)
if [[ $(grep -c ' verified$' <<<"$results") -eq 17 && $unverified == "$expected_unverified" ]]; then
    echo "PASS: 17 cards verified by reading back, and exactly the three others"
else
    echo "FAIL: results differ from 17 verified and the three others:"
    sed 's/^/  | /' <<<"$results"
    failures=$((failures + 1))
fi
if [[ $(set_requests) -gt 0 ]]; then
    echo "PASS: the added cards' logs show the set requests of the real run"
else
    echo "FAIL: the added cards' logs show no set request: the check before proves nothing"
    failures=$((failures + 1))
fi
expect_text "the moved card reads back at its new address" "$workdir/apply.out" \
    '"id":1,"name":"IP Addr","current":"10.77.1.101","planned":"10.77.1.111","read":"10.77.1.111"'
if grep -qiE 'lemon|6C 65 6D 6F 6E|77 72 6F 6E 67|"wrong"' "$workdir/apply.out" "$workdir/apply.err"; then
    echo "FAIL: a password shows in the output or the level-0 trace"
    failures=$((failures + 1))
else
    echo "PASS: no password in the output or the level-0 trace"
fi
