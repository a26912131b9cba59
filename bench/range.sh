#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Range sweep at scale: cardwise-sim answers as 500 cards with addresses of their own from
# 127.1.0.1 on, and `cardwise-cli search --range` sweeps all 65,536 addresses of 127.1.0.0/16,
# once at the default rate and once at 20,000 requests/s. Prints, per run, the cards found, the
# wall time against the paced ideal (2 x 65,536 / rate + 1 s; target within 10 %), the requests
# per second achieved and the CLI's peak resident memory.
#
#   bench/range.sh [BUILD_DIR]          (default: build)
#
# Environment: CARDS (default 500), RATES (default "2000 20000").
# The run happens in a network namespace of its own (tools/netns-run: only lo, where all of
# 127.0.0.0/8 is local), so nothing is sent off the namespace.
# Exit status: 0 when every run found every card within the target, 1 otherwise, 77 when no
# namespace can be made.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${1:-${BUILD_DIR:-$root/build}}
build=$(cd "$build" && pwd)
cards=${CARDS:-500}
rates=${RATES:-2000 20000}
sim=$build/cardwise/sim/cardwise-sim
cli=$build/cardwise/cli/cardwise-cli

# shellcheck source=lib.sh
source "$here/lib.sh"
bench_programs range "$sim" "$cli"
CW_ME=range
cw_isolate "$build"

cw_make_work_dir
work=$cw_work

cw_sim_start "$work/sim.log" "$sim" --bind 0.0.0.0 --cards "$cards" --first-address 127.1.0.1 ||
    exit 1

readonly requests=$((2 * 65536))
failed=0
# The program's own start and end, measured on a sweep of one address: subtracted before the
# requests per second are worked out, so that figure is the pace of the sweep alone.
measure "$work/one.json" "$cli" search --range 127.1.0.1-127.1.0.1 --rate 100000 --json
overhead=$(awk -v w="$seconds" 'BEGIN { o = w - 1; printf "%.2f", (o > 0 ? o : 0) }')
printf 'range: %d cards in 127.1.0.0/16, a sweep of 65536 addresses (%d requests)\n' \
    "$cards" "$requests"
printf 'range: program starts and ends in %s s, taken off the time of the requests\n' "$overhead"
printf '%8s  %7s  %9s  %9s  %8s  %12s  %8s\n' rate found wall ideal "off by" requests/s "peak MB"
for rate in $rates; do
    measure "$work/search.json" "$cli" search --range 127.1.0.0-127.1.255.255 --rate "$rate" \
        --json
    found=$(grep -o '"mac":' "$work/search.json" | wc -l)
    read -r ideal off achieved peak_mb < <(awk -v r="$rate" -v n="$requests" -v w="$seconds" \
        -v o="$overhead" -v k="$peak_kb" 'BEGIN {
            ideal = n / r + 1
            printf "%.2f %+.1f%% %.0f %.1f\n", ideal, (w - ideal) * 100 / ideal, n / (w - 1 - o),
                k / 1024
        }')
    printf '%8s  %7s  %8ss  %8ss  %8s  %12s  %8s\n' "$rate" "$found/$cards" "$seconds" "$ideal" \
        "$off" "$achieved" "$peak_mb"
    if ((found != cards)); then
        echo "range: FAILED at $rate/s: $((cards - found)) card(s) missing" >&2
        failed=1
    fi
    if awk -v w="$seconds" -v i="$ideal" 'BEGIN { exit !(w > i * 1.1 || w < i * 0.9) }'; then
        echo "range: FAILED at $rate/s: wall time more than 10 % off the paced ideal" >&2
        failed=1
    fi
done
exit "$failed"
