# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the benchmark scripts: the safety library (tools/lib/netsafe.sh, whose cw_isolate
# puts each script in a network namespace of its own), checking the programs, and measuring a
# command's wall time and peak memory. Sourced, never run; defines functions only.

# shellcheck source=../tools/lib/netsafe.sh
source "$(dirname "${BASH_SOURCE[0]}")/../tools/lib/netsafe.sh"

# bench_programs NAME PROGRAM...: fails, naming the first, unless every PROGRAM is built.
bench_programs() {
    local name=$1 program
    shift
    for program in "$@"; do
        [[ -x $program ]] || { echo "$name: $program is missing; build first" >&2; exit 1; }
    done
}

# measure OUT COMMAND...: runs COMMAND with its standard output in OUT; sets `seconds` (wall
# time, two decimals) and `peak_kb` (peak resident memory). Returns COMMAND's status.
measure() {
    local out=$1 start end status=0 times
    shift
    start=$(date +%s.%N)
    if [[ -x /usr/bin/time ]]; then
        times=$(mktemp)
        /usr/bin/time -v -o "$times" "$@" >"$out" || status=$?
        peak_kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$times")
        rm -f "$times"
    else
        # Without GNU time: the high-water mark the kernel keeps, read until the process ends.
        "$@" >"$out" &
        local pid=$! kb
        peak_kb=0
        while kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) && [[ -n $kb ]]; do
            ((kb > peak_kb)) && peak_kb=$kb
            sleep 0.01
        done
        wait "$pid" || status=$?
    fi
    end=$(date +%s.%N)
    seconds=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f", e - s }')
    return "$status"
}
