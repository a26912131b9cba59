#!/usr/bin/env bash
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

for program in "$sim" "$cli" "$flood"; do
    [[ -x $program ]] || { echo "chaos: $program is missing; build first" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "chaos: GNU time is missing (apt-get install time)" >&2; exit 1; }

# shellcheck source=../tools/lib/netsafe.sh
source "$root/tools/lib/netsafe.sh"
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
# scenario NAME TARGET SIM_OPTIONS CLI_OPTIONS FLOOD: TARGET is the fewest cards every search must
# find, "-" for a figure that is only reported; FLOOD is yes or no.
scenario() {
    local name=$1 target=$2 flood_on=$5 sim_options cli_options
    read -ra sim_options <<<"$3"
    read -ra cli_options <<<"$4"
    cw_sim_start "$work/sim.log" "$sim" --bind 127.0.0.1 --cards "$cards" --seed "$seed" \
        "${sim_options[@]}" || exit 1
    if [[ $flood_on == yes ]]; then
        "$flood" --rate "$flood_rate" 2>"$work/flood.log" &
        flood_pid=$!
    fi

    local i found min=$cards max=0 total=0 peak_kb=0 kb start end all=()
    for ((i = 0; i < searches; i++)); do
        start=$(date +%s.%N)
        /usr/bin/time -f %M -o "$work/rss" "$cli" search --subnet 127.0.0.1/32 --json \
            "${cli_options[@]}" >"$work/search.json"
        end=$(date +%s.%N)
        # Only the simulated cards count: forged device information names 02-... MACs.
        found=$(grep -o '"mac":"00-1A-2B-' "$work/search.json" | wc -l)
        all+=("$found")
        ((found < min)) && min=$found
        ((found > max)) && max=$found
        total=$(awk -v t="$total" -v s="$start" -v e="$end" 'BEGIN { print t + e - s }')
        kb=$(tail -n 1 "$work/rss")
        ((kb > peak_kb)) && peak_kb=$kb
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
        "$(awk -v k="$peak_kb" 'BEGIN { printf "%.1f", k / 1024 }')" "$verdict"
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
# The range sweep (500 cards over 127.1.0.0/16 at 10 % loss, at least 499 found) joins here once
# cardwise-cli has --range and cardwise-sim gives each card an address of its own.

exit "$failed"
