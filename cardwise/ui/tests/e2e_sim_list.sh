#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End to end: the real cardwise program (offscreen) searches 127.0.0.1, where cardwise-sim
# plays three cards, and must list all three in the order of their configured addresses.
# Run through tools/netns-run, so nothing can leave the namespace.
#   e2e_sim_list.sh CARDWISE CARDWISE_SIM
set -euo pipefail

cardwise=$1
sim=$2

# shellcheck source=../../../tools/lib/netsafe.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../../tools/lib/netsafe.sh"
# Refuse to send anything unless only loopback exists here.
cw_require_isolation

cw_make_work_dir
work=$cw_work

cw_sim_config "$work/cards.json" \
    "00-1A-2B-00-00-01 192.168.1.2 255.255.255.0 192.168.1.1 2 215" \
    "00-1A-2B-00-00-02 192.168.1.100 255.255.255.0 192.168.1.1 3 216" \
    "00-1A-2B-00-00-03 10.0.0.5 255.0.0.0 10.0.0.1 4 217"

cw_sim_start "$work/sim.log" "$sim" --config "$work/cards.json" || exit 1
if ! grep -q "3 cards on 127.0.0.1:16788" "$work/sim.log"; then
    echo "e2e_sim_list: the simulator did not come up as configured: $(cat "$work/sim.log")" >&2
    exit 1
fi

output=$(QT_QPA_PLATFORM=offscreen CARDWISE_LANG=default timeout 60 \
    "$cardwise" --subnet 127.0.0.1/255.255.255.255 --print-devices --exit-after-search)
echo "$output"

expected=$'device\t127.0.0.1\t10.0.0.5\t00-1A-2B-00-00-03\t255.0.0.0\t10.0.0.1\t4\t217\tlo\t
device\t127.0.0.1\t192.168.1.100\t00-1A-2B-00-00-02\t255.255.255.0\t192.168.1.1\t3\t216\tlo\t
device\t127.0.0.1\t192.168.1.2\t00-1A-2B-00-00-01\t255.255.255.0\t192.168.1.1\t2\t215\tlo\t
search finished\t3'
if [[ "$output" != "$expected" ]]; then
    echo "e2e_sim_list: unexpected list; wanted:" >&2
    echo "$expected" >&2
    exit 1
fi
echo "e2e_sim_list: the three simulated cards are listed"
