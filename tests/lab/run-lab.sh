#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Network lab: a PC namespace with two adapters on two subnets, a bridge per subnet, and one
# namespace per simulated card running cardwise-sim; on the first subnet a card with an address
# of none of the PC's subnets, on the second two cards with one address; and a router joining
# the first subnet to a third, which the PC reaches only through it, where one namespace holds
# three cards with addresses of their own. Checks which cards a search reaches for each kind of
# destination. Everything lives in namespaces this script creates (the host's own namespace is
# not touched) and is removed on every exit path.
#
#   run-lab.sh CARDWISE_SIM LAB_SEARCH [CHECKS]
#
# CHECKS, when given, is a bash file sourced in place of the built-in checks once the lab is up;
# it may use run_in_pc, mac_of, macs_of, CARDS, SUBNET1..3, FOREIGN and count failures in
# `failures`. LAB_SIM_ARGS adds options to every simulator (for example --restart-ms 300).
#
# Exit status: 0 all checks passed, 1 a check failed or the lab could not be built, 77 skipped
# (not root; under CI=true that is a failure instead).
set -euo pipefail

readonly me=network-lab
if [[ $# -lt 2 || $# -gt 3 || ! -x "$1" || ! -x "$2" || ( $# -eq 3 && ! -r "$3" ) ]]; then
    echo "usage: $me CARDWISE_SIM LAB_SEARCH [CHECKS] (both executable, CHECKS readable)" >&2
    exit 1
fi
readonly sim=$1 search=$2 checks=${3:-}
read -r -a sim_args <<<"${LAB_SIM_ARGS:-}"
# shellcheck source=../../tools/lib/netsafe.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib/netsafe.sh"
CW_ME=$me

skip() {
    if [[ "${CI:-}" == true ]]; then
        echo "$me: $* (a failure under CI)" >&2
        exit 1
    fi
    echo "$me: SKIPPED: $*" >&2
    exit 77
}

[[ $(id -u) -eq 0 ]] || skip "the lab needs root (ip netns, veth, bridge)"
command -v ip >/dev/null 2>&1 || skip "the ip command (iproute2) is missing"

# Unique names: several labs may run at once on one host.
tag=$(printf '%x%x' "$$" "$RANDOM")
readonly tag
readonly SW="cwlab-$tag-sw" PC="cwlab-$tag-pc"
readonly SUBNET1=10.77.1 SUBNET2=10.77.2 SUBNET3=10.77.3 FOREIGN=192.168.50
readonly PC_IF1=cwl1 PC_IF2=cwl2
# Card name, bridge, address. Three cards of the first subnet and one of no subnet of the PC's
# on the first bridge; two cards on the second and two more that share one address; three
# behind the router on the third, in one namespace (ROUTED_NS), from ROUTED_FIRST on.
readonly CARDS=("c11 1 $SUBNET1.101" "c12 1 $SUBNET1.102" "c13 1 $SUBNET1.103"
                "c14 1 $FOREIGN.7"
                "c21 2 $SUBNET2.101" "c22 2 $SUBNET2.102" "c23 2 $SUBNET2.120" "c24 2 $SUBNET2.120"
                "c31 3 $SUBNET3.101" "c32 3 $SUBNET3.102" "c33 3 $SUBNET3.103")
readonly ROUTED_FIRST=$SUBNET3.101 ROUTED_SPARE=$SUBNET3.150

namespaces=()
cw_make_work_dir
workdir=$cw_work

# Runs after the simulators are stopped (cw_sim_start registers that later, so it runs first).
# Removing a namespace removes its interfaces, and with them their veth peers.
delete_namespaces() {
    local ns
    for ns in "${namespaces[@]}"; do
        ip netns delete "$ns" 2>/dev/null || true
    done
}
cw_on_exit delete_namespaces

add_namespace() {
    ip netns add "$1"
    namespaces+=("$1")
    ip -n "$1" link set lo up
}

mac_of() { # card name -> MAC text in the card's configuration
    local n=${1#c}
    printf '00-1A-2B-77-%02d-%02d' "${n:0:1}" "${n:1:1}"
}

# --- build the lab ---------------------------------------------------------------------------
if ! ip netns add "cwlab-$tag-probe" 2>/dev/null; then
    skip "cannot create network namespaces here"
fi
ip netns delete "cwlab-$tag-probe"

add_namespace "$SW"
add_namespace "$PC"
for bridge in br1 br2 br3; do
    ip -n "$SW" link add "$bridge" type bridge
    ip -n "$SW" link set "$bridge" up
done

ip -n "$PC" link add "$PC_IF1" type veth peer name pc1 netns "$SW"
ip -n "$PC" link add "$PC_IF2" type veth peer name pc2 netns "$SW"
ip -n "$SW" link set pc1 master br1 up
ip -n "$SW" link set pc2 master br2 up
ip -n "$PC" addr add "$SUBNET1.10/24" dev "$PC_IF1"
ip -n "$PC" addr add "$SUBNET2.10/24" dev "$PC_IF2"
ip -n "$PC" link set "$PC_IF1" up
ip -n "$PC" link set "$PC_IF2" up
# As on a real PC, the default route leaves through the first adapter, to the router, which
# also leads to the third subnet.
ip -n "$PC" route add default via "$SUBNET1.1" dev "$PC_IF1"
ip -n "$PC" route add "$SUBNET3.0/24" via "$SUBNET1.1" dev "$PC_IF1"

# The router: 10.77.1.1 on the first bridge, 10.77.3.1 on the third. Linux forwards no
# broadcast, directed ones included.
readonly ROUTER="cwlab-$tag-rt"
add_namespace "$ROUTER"
for side in 1 3; do
    ip -n "$ROUTER" link add "r$side" type veth peer name "rt$side" netns "$SW"
    ip -n "$SW" link set "rt$side" master "br$side" up
    ip -n "$ROUTER" addr add "10.77.$side.1/24" dev "r$side"
    ip -n "$ROUTER" link set "r$side" up
done
ip netns exec "$ROUTER" sysctl -q -w net.ipv4.ip_forward=1

# One namespace for the routed cards, holding their addresses and a spare one.
readonly ROUTED_NS="cwlab-$tag-c3"
add_namespace "$ROUTED_NS"
ip -n "$ROUTED_NS" link add eth0 type veth peer name c3 netns "$SW"
ip -n "$SW" link set c3 master br3 up
routed=()
for entry in "${CARDS[@]}"; do
    read -r name bridge address <<<"$entry"
    [[ $bridge == 3 ]] || continue
    ip -n "$ROUTED_NS" addr add "$address/24" dev eth0
    routed+=("$(mac_of "$name") $address 255.255.255.0 $SUBNET3.1 2 ${address##*.}")
done
ip -n "$ROUTED_NS" addr add "$ROUTED_SPARE/24" dev eth0
ip -n "$ROUTED_NS" link set eth0 up
ip -n "$ROUTED_NS" route add default via "$SUBNET3.1"
cw_sim_config "$workdir/routed.json" "${routed[@]}"
cw_sim_start "$workdir/routed.log" ip netns exec "$ROUTED_NS" "$sim" --bind 0.0.0.0 \
    --config "$workdir/routed.json" --first-address "$ROUTED_FIRST" "${sim_args[@]}" || exit 1

for entry in "${CARDS[@]}"; do
    read -r name bridge address <<<"$entry"
    [[ $bridge != 3 ]] || continue
    ns="cwlab-$tag-$name"
    add_namespace "$ns"
    ip -n "$ns" link add eth0 type veth peer name "$name" netns "$SW"
    ip -n "$SW" link set "$name" master "br$bridge" up
    ip -n "$ns" addr add "$address/24" dev eth0
    ip -n "$ns" link set eth0 up
    # A card of a foreign subnet answers the PC through its wire, as a fresh card does.
    [[ $address == "$FOREIGN".* ]] && ip -n "$ns" route add default dev eth0
    cw_sim_config "$workdir/$name.json" \
        "$(mac_of "$name") $address 255.255.255.0 ${address%.*}.1 2 ${address##*.}"
    # Bound to 0.0.0.0: a socket bound to a unicast address receives no broadcasts.
    cw_sim_start "$workdir/$name.log" ip netns exec "$ns" "$sim" --bind 0.0.0.0 \
        --config "$workdir/$name.json" "${sim_args[@]}" || exit 1
done

# --- searching -------------------------------------------------------------------------------
# Runs a command in the PC namespace this script created, and only after checking that the
# namespace is not the host's and holds nothing but the lab's interfaces.
run_in_pc() {
    cw_require_isolation --netns "$PC" "$PC_IF1" "$PC_IF2"
    ip netns exec "$PC" "$@"
}

run_search() {
    run_in_pc "$search" --allow-if "$PC_IF1,$PC_IF2" --wait 800 "$@"
}

macs_of() { # bridge|subnet VALUE... -> sorted MACs of the cards on those wires (bridge numbers)
    #                                 or with addresses of those /24 subnets
    local by=$1 entry name bridge address key wanted
    shift
    for entry in "${CARDS[@]}"; do
        read -r name bridge address <<<"$entry"
        key=$bridge
        [[ $by == subnet ]] && key=${address%.*}
        for wanted in "$@"; do
            if [[ "$key" == "$wanted" ]]; then
                mac_of "$name"
                echo
            fi
        done
    done | sort
}

failures=0
check() { # description, expected MACs, search destinations...
    local description=$1 expected=$2 got
    shift 2
    got=$(run_search "$@")
    if [[ "$got" == "$expected" ]]; then
        echo "PASS: $description"
    else
        echo "FAIL: $description"
        echo "  destinations: $*"
        echo "  expected: $(echo $expected)"
        echo "  got:      $(echo $got)"
        failures=$((failures + 1))
    fi
}

all=$(macs_of bridge 1 2) # every card on the PC's wires
first=$(macs_of subnet "$SUBNET1")
second=$(macs_of subnet "$SUBNET2")
routed=$(macs_of bridge 3)

if [[ -n $checks ]]; then
    # shellcheck source=/dev/null
    source "$checks"
else
    check "directed broadcast reaches the first subnet only" "$first" "$SUBNET1.255"
    check "directed broadcast reaches the second subnet only" "$second" "$SUBNET2.255"
    check "local scope (both adapter broadcasts, then 255.255.255.255) reaches the PC's wires" \
        "$all" "$SUBNET1.255" "$SUBNET2.255" 255.255.255.255
    # Linux sends the limited broadcast out of one interface only: the one the default route
    # uses. The card of a foreign subnet hears only this one.
    check "limited broadcast leaves by the default route's adapter only" "$(macs_of bridge 1)" \
        255.255.255.255
    check "a card's own address reaches that card only" "$(mac_of c22)" "$SUBNET2.102"
    check "no broadcast crosses the router" "" "$SUBNET3.255"
    check "a routed card's own address reaches that card only" "$(mac_of c32)" "$SUBNET3.102"
fi

if ((failures > 0)); then
    echo "$me: $failures check(s) failed" >&2
    exit 1
fi
echo "$me: all checks passed"
