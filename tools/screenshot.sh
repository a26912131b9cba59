#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes pictures of the main window for docs/screenshots: cardwise-sim plays a few cards on
# 127.0.0.1, cardwise searches that one address under Xvfb, and once the list is filled the
# window is captured, in English (main-window.png) and Chinese (main-window-zh_CN.png).
# Then the dialogs over the same cards (option-dialog.png, param-edit.png, about.png), opened
# by cardwise-dialog-shots, the assistant with an aid that opens one dialog by itself, and the
# window compared with a saved list (compare-list.png), and Batch Setup's result table after a
# plan ran (batch-setup.png).
# Everything runs in a network namespace of its own (tools/netns-run).
#
#   tools/screenshot.sh [BUILD_DIR]      (default: build)
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
out=$top/docs/screenshots
cardwise=$build/cardwise/ui/cardwise
sim=$build/cardwise/sim/cardwise-sim
shots=$build/cardwise/ui/dialogs/cardwise-dialog-shots

for program in "$cardwise" "$sim" "$shots"; do
    [[ -x "$program" ]] || { echo "screenshot: $program is not built" >&2; exit 1; }
done
for tool in Xvfb import xwininfo; do
    command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing" >&2; exit 1; }
done

if [[ "${CARDWISE_SCREENSHOT_INSIDE:-}" != 1 ]]; then
    CARDWISE_SCREENSHOT_INSIDE=1 exec "$top/tools/netns-run" bash "${BASH_SOURCE[0]}" "$build"
fi

# Inside the namespace: nothing but loopback may exist before anything is started.
# shellcheck source=lib/netsafe.sh
source "$top/tools/lib/netsafe.sh"
CW_ME=screenshot
cw_require_isolation

cw_make_work_dir
work=$cw_work
pids=()
stop_programs() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
cw_on_exit stop_programs

# Xvfb writes its display number to the descriptor once it accepts clients.
mkfifo "$work/xvfb.fd"
Xvfb -displayfd 5 -screen 0 1280x900x24 -nolisten tcp 5>"$work/xvfb.fd" 2>"$work/xvfb.log" &
pids+=($!)
exec 5<"$work/xvfb.fd"
read -r -t 30 display <&5 || { echo "screenshot: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=:$display
unset QT_QPA_PLATFORM

# Two cards share an address and one takes its address from DHCP, so the Note column shows
# marked rows; the last acknowledges settings but keeps its own, for the batch results.
cw_sim_config "$work/cards.json" \
    "00-1A-2B-4C-00-01 192.168.1.20 255.255.255.0 192.168.1.1 2 215" \
    "00-1A-2B-4C-00-02 192.168.1.100 255.255.255.0 192.168.1.1 2 216" \
    "00-1A-2B-4C-00-03 10.0.0.5 255.0.0.0 10.0.0.1 3 301" \
    "00-1A-2B-4C-00-04 172.16.8.31 255.255.0.0 172.16.0.1 3 302 \"dhcp\": 1" \
    "00-1A-2B-4C-00-05 192.168.1.100 255.255.255.0 192.168.1.1 3 302 \"applies\": false"
cw_sim_start "$work/sim.log" "$sim" --config "$work/cards.json" || exit 1

mkdir -p "$out"
# shoot FILE READY WINDOW COMMAND...: runs COMMAND, waits for its line beginning with READY, and
# captures the window whose name begins with WINDOW, or, when WINDOW is empty, the one named
# by the text after the line's tab.
shoot() {
    local file=$1 ready=$2 window=$3 fifo=$work/${1%.png}.out line pid id
    shift 3
    mkfifo "$fifo"
    "$@" >"$fifo" &
    pid=$!
    pids+=("$pid")
    exec 7<"$fifo"
    while read -r -t 30 line <&7; do
        [[ "$line" == "$ready"* ]] && break
    done
    [[ "${line:-}" == "$ready"* ]] || { echo "screenshot: no \"$ready\" for $file" >&2; exit 1; }
    [[ -n $window ]] || window="${line#*$'\t'}\":"
    id=$(xwininfo -root -tree | awk -v name="\"$window" 'index($0, name) { print $1; exit }')
    [[ -n "$id" ]] || { echo "screenshot: window \"$window\" not found" >&2; exit 1; }
    import -window "$id" "$out/$file"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    exec 7<&-
    echo "screenshot: wrote $out/$file"
}

loop=(--subnet 127.0.0.1/255.255.255.255)
# The window prints its rows when the sweep has ended and the window shows them.
shoot main-window.png "search finished" "UPS Vantor" "$cardwise" --lang default "${loop[@]}" \
    --print-devices
shoot main-window-zh_CN.png "search finished" "UPS Vantor" "$cardwise" --lang Lang0804 \
    "${loop[@]}" --print-devices
# The dialogs open once the first search has ended; the program prints
# "dialog shown<TAB><title>" when the dialog is on screen.
shoot option-dialog.png "dialog shown" "" "$shots" --dialog option --lang default "${loop[@]}"
shoot param-edit.png "dialog shown" "" "$shots" --dialog param-edit --lang default "${loop[@]}"
shoot about.png "dialog shown" "" "$shots" --dialog about --lang default "${loop[@]}"
# A saved list in which one card had another address, one older firmware, one is gone, and
# the last two cards were not there yet.
cat >"$work/saved.json" <<'LIST'
{"devices":[
{"mac":"00-1A-2B-4C-00-01","actual_ip":"127.0.0.1","ip":"192.168.1.21","mask":"255.255.255.0","gateway":"192.168.1.1","hw":2,"fw":215,"adapter":"lo","notes":[]},
{"mac":"00-1A-2B-4C-00-02","actual_ip":"127.0.0.1","ip":"192.168.1.100","mask":"255.255.255.0","gateway":"192.168.1.1","hw":2,"fw":216,"adapter":"lo","notes":[]},
{"mac":"00-1A-2B-4C-00-03","actual_ip":"127.0.0.1","ip":"10.0.0.5","mask":"255.0.0.0","gateway":"10.0.0.1","hw":3,"fw":300,"adapter":"lo","notes":[]},
{"mac":"00-1A-2B-4C-00-06","actual_ip":"127.0.0.1","ip":"192.168.1.30","mask":"255.255.255.0","gateway":"192.168.1.1","hw":2,"fw":215,"adapter":"lo","notes":[]}]}
LIST
shoot compare-list.png "dialog shown" "" "$shots" --dialog compare --list "$work/saved.json" \
    --lang default "${loop[@]}"
# Last, as it changes the cards: a plan for every card, with another password for one card and
# a card that is not there.
cat >"$work/plan.csv" <<'PLAN'
MAC,HTTP Port,SNMP Enable,Password
*,8080,0,
00-1A-2B-4C-00-03,,,wrong-secret
00-1A-2B-4C-00-09,,,
PLAN
shoot batch-setup.png "dialog shown" "" "$shots" --dialog batch --plan "$work/plan.csv" \
    --lang default "${loop[@]}"
