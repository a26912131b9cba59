#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Batch setup at scale: cardwise-sim answers as 1,000 cards with addresses of their own from
# 127.1.0.1 on, and `cardwise-cli apply` gives every card a new address (1,024 higher, with a
# mask and gateway to match), new HTTP and Telnet ports and SNMP off, without the restart wait,
# then reads every value back. Prints the cards verified, the wall time (target under 60 s) and
# the CLI's peak resident memory (target within 150 MB).
#
#   bench/apply.sh [BUILD_DIR]          (default: build)
#
# Environment: CARDS (default 1000, at most 1024).
# The run happens in a network namespace of its own (tools/netns-run: only lo, where all of
# 127.0.0.0/8 is local), so nothing is sent off the namespace.
# Exit status: 0 when every card was verified within the targets, 1 otherwise, 77 when no
# namespace can be made.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${1:-${BUILD_DIR:-$root/build}}
build=$(cd "$build" && pwd)
cards=${CARDS:-1000}
sim=$build/cardwise/sim/cardwise-sim
cli=$build/cardwise/cli/cardwise-cli

# shellcheck source=lib.sh
source "$here/lib.sh"
bench_programs apply "$sim" "$cli"
CW_ME=apply
cw_isolate "$build"
((cards >= 1 && cards <= 1024)) || { echo "apply: CARDS must be 1 to 1024" >&2; exit 1; }

cw_make_work_dir
work=$cw_work

cw_sim_start "$work/sim.log" "$sim" --bind 0.0.0.0 --cards "$cards" --first-address 127.1.0.1 ||
    exit 1

# Card n (from 0) has MAC 00-1A-2B-00-HH-LL with HHLL = n + 1 and address 127.1.0.1 + n; it
# moves to 127.1.4.1 + n, inside the swept range so that the read-back finds it.
{
    echo "MAC,IP Addr,Mask,Gateway,HTTP Port,Telnet Port,SNMP Enable"
    for ((n = 0; n < cards; n++)); do
        host=$((n + 1 + 1024))
        printf '00-1A-2B-00-%02X-%02X,127.1.%d.%d,255.255.0.0,127.1.0.254,8080,2323,0\n' \
            $(((n + 1) / 256)) $(((n + 1) % 256)) $((host / 256)) $((host % 256))
    done
} >"$work/plan.csv"
echo lemon >"$work/password"

status=0
measure "$work/apply.json" "$cli" apply "$work/plan.csv" --range 127.1.0.1-127.1.7.255 \
    --rate 20000 --password-file "$work/password" --no-restart --json || status=$?
verified=$(grep -o '"result":"verified"' "$work/apply.json" | wc -l)
summary=$(grep -o '"summary":{[^}]*}' "$work/apply.json" || true)
peak_mb=$(awk -v k="$peak_kb" 'BEGIN { printf "%.1f", k / 1024 }')
printf 'apply: %d cards, each given a new address, two ports and a flag, no restart wait\n' "$cards"
printf '%9s  %9s  %8s  %s\n' verified wall "peak MB" "exit"
printf '%9s  %8ss  %8s  %s\n' "$verified/$cards" "$seconds" "$peak_mb" "$status"
echo "apply: $summary"

failed=0
if ((status != 0 || verified != cards)); then
    echo "apply: FAILED: $((cards - verified)) card(s) not verified (exit $status)" >&2
    failed=1
fi
if awk -v w="$seconds" 'BEGIN { exit !(w >= 60) }'; then
    echo "apply: FAILED: $seconds s, the target is under 60 s" >&2
    failed=1
fi
if awk -v m="$peak_mb" 'BEGIN { exit !(m > 150) }'; then
    echo "apply: FAILED: peak memory $peak_mb MB, the target is 150 MB" >&2
    failed=1
fi
exit "$failed"
