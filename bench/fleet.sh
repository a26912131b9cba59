#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fleet scale check: cardwise-sim answers as 2,000 cards on 127.0.0.1, and one
# `cardwise-cli search` must list every card after a single sweep, within 100 MB of peak
# resident memory. Prints found/total, the wall time and the peak memory.
#
#   bench/fleet.sh [BUILD_DIR]          (default: build)
#
# Environment: CARDS (default 2000), MEMORY_LIMIT_MB (default 100).
# The run happens in a network namespace of its own (tools/netns-run: only lo), so nothing is
# sent off 127.0.0.1 and no port of another run collides.
# Exit status: 0 when every card was found within the memory limit, 1 otherwise, 77 when no
# namespace can be made.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${1:-${BUILD_DIR:-$root/build}}
build=$(cd "$build" && pwd)
cards=${CARDS:-2000}
limit_mb=${MEMORY_LIMIT_MB:-100}
sim=$build/cardwise/sim/cardwise-sim
cli=$build/cardwise/cli/cardwise-cli

# shellcheck source=lib.sh
source "$here/lib.sh"
bench_programs fleet "$sim" "$cli"
CW_ME=fleet
cw_isolate "$build"

cw_make_work_dir
work=$cw_work

cw_sim_start "$work/sim.log" "$sim" --bind 127.0.0.1 --cards "$cards" || exit 1

measure "$work/search.json" "$cli" search --subnet 127.0.0.1/255.255.255.255 --json

found=$(grep -o '"mac":' "$work/search.json" | wc -l)
peak_mb=$(awk -v k="$peak_kb" 'BEGIN { printf "%.1f", k / 1024 }')
echo "fleet: found $found/$cards cards in $seconds s, peak resident memory $peak_mb MB (limit $limit_mb MB)"

if (( found != cards )); then
    echo "fleet: FAILED: $((cards - found)) card(s) missing" >&2
    exit 1
fi
if awk -v p="$peak_mb" -v l="$limit_mb" 'BEGIN { exit !(p > l) }'; then
    echo "fleet: FAILED: peak memory above $limit_mb MB" >&2
    exit 1
fi
