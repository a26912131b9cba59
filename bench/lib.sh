# Shared by the benchmark scripts: the namespace they run in, and measuring a command's wall
# time and peak memory. Sourced, never run; defines functions only.

# bench_isolate NAME ARG...: unless already there, runs the calling script again, with its
# arguments ARG..., in a network namespace of its own (tools/netns-run: only lo); once inside,
# checks the isolation. NAME is the script's name in messages.
bench_isolate() {
    local name=$1 root
    shift
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    if [[ -z ${CW_BENCH_INSIDE:-} ]]; then
        exec "$root/tools/netns-run" env CW_BENCH_INSIDE=1 bash "$0" "$@"
    fi
    # shellcheck source=../tools/lib/netsafe.sh
    source "$root/tools/lib/netsafe.sh"
    CW_ME=$name
    cw_require_isolation
}

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
