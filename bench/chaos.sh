#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Chaos bench: `cardwise-cli search` against 200 simulated cards on a bad network that
# cardwise-sim makes itself (loss, duplicates, reordering) and under a flood of hostile
# datagrams from cardwise-flood. Prints, per scenario, the cards found by each of 10 searches,
# the wall time per search and the CLI's peak resident memory, and whether the scenario met its
# target.
#
#   bench/chaos.sh [BUILD_DIR]          (default: build)
#
# Environment: CARDS (default 200), SEARCHES (default 10), FLOOD_RATE (datagrams per second,
# default 10000), SEED (the simulator's, default 1).
# Everything runs in a network namespace of its own (tools/netns-run: only lo).
# Exit status: 0 when every scenario met its target, 1 otherwise, 77 when no namespace can be
# made.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${1:-${BUILD_DIR:-$root/build}}
build=$(cd "$build" && pwd)
cards=${CARDS:-200}
searches=${SEARCHES:-10}
flood_rate=${FLOOD_RATE:-10000}
seed=${SEED:-1}
sim=$build/cardwise/sim/cardwise-sim
cli=$build/cardwise/cli/cardwise-cli
flood=$build/bench/cardwise-flood

# shellcheck source=lib.sh
source "$here/lib.sh"
bench_programs chaos "$sim" "$cli" "$flood"
CW_ME=chaos
cw_isolate "$build"

cw_make_work_dir
work=$cw_work
flood_pid=
stop_flood() {
    [[ -n $flood_pid ]] || return 0
    kill "$flood_pid" 2>/dev/null || true
    wait "$flood_pid" 2>/dev/null || true
    flood_pid=
}
cw_on_exit stop_flood

failed=0
printf '%-26s %-9s %-9s %-10s %-11s %s\n' scenario "found min" "found max" "s/search" \
    "peak RSS MB" target
# scenario NAME TARGET SIM_OPTIONS CLI_OPTIONS FLOOD [CARDS [SEARCHES]]: TARGET is the fewest
# cards every search must find, "-" for a figure that is only reported; FLOOD is yes or no.
# Without --range in CLI_OPTIONS, CARDS cards (default $cards) answer on 127.0.0.1 and the
# search is a Subnet search of that address.
scenario() {
    local name=$1 target=$2 flood_on=$5 sim_options cli_options
    local cards=${6:-$cards} searches=${7:-$searches}
    read -ra sim_options <<<"$3"
    read -ra cli_options <<<"$4"
    if [[ " $4 " != *" --range "* ]]; then
        sim_options=(--bind 127.0.0.1 "${sim_options[@]}")
        cli_options=(--subnet 127.0.0.1/32 "${cli_options[@]}")
    fi
    cw_sim_start "$work/sim.log" "$sim" --cards "$cards" --seed "$seed" \
        "${sim_options[@]}" || exit 1
    if [[ $flood_on == yes ]]; then
        "$flood" --rate "$flood_rate" 2>"$work/flood.log" &
        flood_pid=$!
    fi

    local i found min=$cards max=0 total=0 most_kb=0 all=()
    for ((i = 0; i < searches; i++)); do
        measure "$work/search.json" "$cli" search --json "${cli_options[@]}"
        # Only the simulated cards count: forged device information names 02-... MACs.
        found=$(grep -o '"mac":"00-1A-2B-' "$work/search.json" | wc -l)
        all+=("$found")
        ((found < min)) && min=$found
        ((found > max)) && max=$found
        total=$(awk -v t="$total" -v s="$seconds" 'BEGIN { print t + s }')
        ((peak_kb > most_kb)) && most_kb=$peak_kb
    done
    stop_flood
    cw_sim_stop

    local verdict="report only"
    if [[ $target != - ]]; then
        if ((min >= target)); then
            verdict="$target every search: met"
        else
            verdict="$target every search: MISSED"
            failed=1
        fi
    fi
    printf '%-26s %-9s %-9s %-10s %-11s %s\n' "$name" "$min" "$max" \
        "$(awk -v t="$total" -v n="$searches" 'BEGIN { printf "%.2f", t / n }')" \
        "$(awk -v k="$most_kb" 'BEGIN { printf "%.1f", k / 1024 }')" "$verdict"
    echo "    found per search: ${all[*]}"
    if [[ $flood_on == yes ]]; then
        echo "    $(tail -n 1 "$work/flood.log")"
    fi
}

scenario "clean" "$cards" "" "" no
scenario "10 % loss" "$cards" "--loss 0.1" "" no
scenario "30 % loss" - "--loss 0.3" "" no
scenario "30 % loss, --rounds 3" "$((cards - 1))" "--loss 0.3" "--rounds 3" no
scenario "duplicates, reordering" "$cards" "--duplicate 0.5 --reorder" "" no
scenario "flood $flood_rate/s" "$cards" "" "" yes
# 500 cards with addresses of their own in 127.1.0.0/16, the whole /16 swept at 20,000 requests/s
# under 10 % loss each way. A lost request or reply loses a card for one pass (19 %), both passes
# 3.6 %: one sweep is reported, --rounds 3 (six passes) must find 499 of 500.
range_sim="--bind 0.0.0.0 --first-address 127.1.0.1 --loss 0.1"
range_cli="--range 127.1.0.0-127.1.255.255 --rate 20000"
scenario "range, 10 % loss" - "$range_sim" "$range_cli" no 500 3
scenario "range, 10 % loss, --rounds 3" 499 "$range_sim" "$range_cli --rounds 3" no 500 3

exit "$failed"
