# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by every script that sends datagrams or starts cardwise-sim: the isolation check (the
# network-safety guard) and starting the simulator. Sourced, never run; defines functions only.
#
#   cw_require_isolation [--netns NAME] [--status N] [INTERFACE...]       cw_isolate ARG...
#   cw_sim_config FILE CARD...       cw_sim_start LOG COMMAND...       cw_sim_stop
#   cw_on_exit FUNCTION              cw_make_work_dir

# The name in messages: the sourcing script's.
cw_me() {
    local cw_name=${CW_ME:-$0}
    echo "${cw_name##*/}"
}

# cw_interfaces [NAME]: the interfaces of this network namespace, or of the named one
# (/run/netns/NAME), one a line. Fails when the list cannot be read; lo always exists, so an
# empty list is an unreadable one too.
cw_interfaces() {
    local listing where=()
    [[ -n ${1:-} ]] && where=(-n "$1")
    listing=$(ip "${where[@]}" -o link show 2>/dev/null) || return 1
    [[ -n $listing ]] || return 1
    awk -F': ' '{ sub(/@.*/, "", $2); print $2 }' <<<"$listing"
}

# cw_require_isolation [--netns NAME] [--status N] [INTERFACE...]: goes on only when the
# namespace (this process's, or the named one) is provably not the host's: the ip command
# answers, nothing but lo and the INTERFACEs given exists there, and the namespace is neither
# that of PID 1 (where it can be read) nor, for a named one, this process's own. Otherwise it
# says why and exits with status N (default 1). Nothing may be sent before it returned.
cw_require_isolation() {
    local ns='' status=1
    while [[ $# -gt 0 ]]; do
        case $1 in
        --netns) ns=$2; shift 2 ;;
        --status) status=$2; shift 2 ;;
        *) break ;;
        esac
    done
    local refuse="$(cw_me): refusing to run:"
    if ! command -v ip >/dev/null 2>&1; then
        echo "$refuse the ip command (iproute2) is missing, so isolation cannot be checked" >&2
        exit "$status"
    fi
    local names
    if ! names=$(cw_interfaces "$ns"); then
        echo "$refuse cannot read the interfaces of ${ns:-this namespace}" >&2
        exit "$status"
    fi
    local name allowed foreign=()
    while read -r name; do
        for allowed in lo "$@"; do
            [[ $name == "$allowed" ]] && continue 2
        done
        foreign+=("$name")
    done <<<"$names"
    if [[ ${#foreign[@]} -gt 0 ]]; then
        echo "$refuse interfaces other than lo${*:+ and $*} exist: ${foreign[*]}" >&2
        exit "$status"
    fi
    local own host self file=/proc/self/ns/net
    [[ -n $ns ]] && file=/run/netns/$ns
    own=$(stat -L -c %i "$file" 2>/dev/null) || {
        echo "$refuse cannot identify the namespace ${ns:-of this process}" >&2
        exit "$status"
    }
    host=$(stat -L -c %i /proc/1/ns/net 2>/dev/null || true) # unreadable in some sandboxes
    self=$(stat -L -c %i /proc/self/ns/net)
    if [[ $own == "$host" || ( -n $ns && $own == "$self" ) ]]; then
        echo "$refuse ${ns:-this} is the host's network namespace (use tools/netns-run)" >&2
        exit "$status"
    fi
}

# cw_isolate ARG...: for a script that sends. Outside, runs the script again with ARG... in a
# network namespace of its own (tools/netns-run; its status becomes the script's: 77 where
# none can be made); inside, returns once cw_require_isolation has passed.
cw_isolate() {
    if [[ ${CW_ISOLATED:-} != "$0" ]]; then
        exec "$(dirname "${BASH_SOURCE[0]}")/../netns-run" env CW_ISOLATED="$0" bash "$0" "$@"
    fi
    cw_require_isolation
}

# cw_on_exit FUNCTION: runs FUNCTION when the script ends, on every exit path (an interrupt
# and a termination included); the last registered runs first.
cw_exit_hooks=()
cw_on_exit() {
    local hook
    for hook in "${cw_exit_hooks[@]}"; do
        [[ $hook == "$1" ]] && return 0
    done
    cw_exit_hooks+=("$1")
    trap cw_run_exit_hooks EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

cw_run_exit_hooks() {
    local status=$? i
    trap - EXIT
    for ((i = ${#cw_exit_hooks[@]} - 1; i >= 0; i--)); do
        "${cw_exit_hooks[i]}" || true
    done
    exit "$status"
}

# cw_make_work_dir: makes a temporary folder, $cw_work, removed when the script ends.
cw_make_work_dir() {
    cw_work=$(mktemp -d)
    cw_on_exit cw_remove_work_dir
}

cw_remove_work_dir() {
    rm -rf "$cw_work"
}

# cw_sim_config FILE CARD...: writes a cardwise-sim --config file of the cards, each given as
# "MAC IP MASK GATEWAY HW FW [MORE]", where MORE holds further keys of the card as JSON
# ("dhcp": 1). The simulator binds to 127.0.0.1 unless told --bind.
cw_sim_config() {
    local file=$1 card mac ip mask gateway hw fw more separator=''
    shift
    {
        printf '{"cards": ['
        for card in "$@"; do
            read -r mac ip mask gateway hw fw more <<<"$card"
            printf '%s{"mac": "%s", "ip": "%s", "mask": "%s", "gateway": "%s", "hw": %s, "fw": %s%s}' \
                "$separator" "$mac" "$ip" "$mask" "$gateway" "$hw" "$fw" "${more:+, $more}"
            separator=$',\n           '
        done
        printf ']}\n'
    } >"$file"
}

# cw_sim_start LOG COMMAND...: runs COMMAND (cardwise-sim, or a command that execs it, such as
# `ip netns exec NS cardwise-sim`) in the background with its output in LOG, and returns once it
# printed its ready line "cardwise-sim: N cards on ADDRESS:PORT". Fails, showing the log, when
# it ended first or CW_SIM_DEADLINE seconds (default 20) passed. Every simulator started so is
# stopped by cw_sim_stop, which runs when the script ends.
cw_sim_pids=()
cw_sim_start() {
    local log=$1 pid deadline
    shift
    "$@" >"$log" 2>&1 &
    pid=$!
    cw_sim_pids+=("$pid")
    cw_on_exit cw_sim_stop
    deadline=$((SECONDS + ${CW_SIM_DEADLINE:-20}))
    until grep -qs '^cardwise-sim: .* cards on ' "$log"; do
        if ! kill -0 "$pid" 2>/dev/null || ((SECONDS >= deadline)); then
            echo "$(cw_me): the simulator did not start: $*" >&2
            sed 's/^/  | /' "$log" >&2
            return 1
        fi
        sleep 0.05
    done
}

# cw_sim_stop: stops every simulator that cw_sim_start started.
cw_sim_stop() {
    local pid
    for pid in "${cw_sim_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${cw_sim_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    cw_sim_pids=()
}
