#!/usr/bin/env bash
# Takes pictures of the main window for docs/screenshots: cardwise-sim plays a few cards on
# 127.0.0.1, cardwise searches that one address under Xvfb, and once the list is filled the
# window is captured, in English (main-window.png) and Chinese (main-window-zh_CN.png).
# Then the dialogs over the same cards (option-dialog.png, param-edit.png, about.png), opened
# by cardwise-dialog-shots, the assistant with an aid that opens one dialog by itself.
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

cat >"$work/cards.json" <<'JSON'
{"bind": "127.0.0.1",
 "cards": [{"mac": "00-1A-2B-4C-00-01", "ip": "192.168.1.20", "mask": "255.255.255.0",
            "gateway": "192.168.1.1", "hw": 2, "fw": 215},
           {"mac": "00-1A-2B-4C-00-02", "ip": "192.168.1.100", "mask": "255.255.255.0",
            "gateway": "192.168.1.1", "hw": 2, "fw": 216},
           {"mac": "00-1A-2B-4C-00-03", "ip": "10.0.0.5", "mask": "255.0.0.0",
            "gateway": "10.0.0.1", "hw": 3, "fw": 301},
           {"mac": "00-1A-2B-4C-00-04", "ip": "172.16.8.31", "mask": "255.255.0.0",
            "gateway": "172.16.0.1", "hw": 3, "fw": 302}]}
JSON
cw_sim_start "$work/sim.log" "$sim" --config "$work/cards.json" || exit 1

mkdir -p "$out"
shoot() { # language, file
    local fifo=$work/cardwise-$1.out line pid id
    mkfifo "$fifo"
    "$cardwise" --lang "$1" --subnet 127.0.0.1/255.255.255.255 --print-devices >"$fifo" &
    pid=$!
    pids+=("$pid")
    exec 7<"$fifo"
    # The program prints its rows when the sweep has ended and the window shows them.
    while read -r -t 30 line <&7; do
        [[ "$line" == "search finished"* ]] && break
    done
    [[ "${line:-}" == "search finished"* ]] || { echo "screenshot: no finished search" >&2; exit 1; }
    id=$(xwininfo -root -tree | awk '/"UPS Vantor/ { print $1; exit }')
    [[ -n "$id" ]] || { echo "screenshot: window not found" >&2; exit 1; }
    import -window "$id" "$out/$2"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    exec 7<&-
    echo "screenshot: wrote $out/$2"
}
shoot default main-window.png
shoot Lang0804 main-window-zh_CN.png

# The program opens the dialog once its first search has ended and prints
# "dialog shown<TAB><title>" when the dialog is on screen.
shoot_dialog() { # dialog, language, file
    local fifo=$work/dialog-$1-$2.out line pid id title
    mkfifo "$fifo"
    "$shots" --dialog "$1" --lang "$2" --subnet 127.0.0.1/255.255.255.255 >"$fifo" &
    pid=$!
    pids+=("$pid")
    exec 7<"$fifo"
    while read -r -t 30 line <&7; do
        [[ "$line" == "dialog shown"* ]] && break
    done
    [[ "${line:-}" == "dialog shown"* ]] || { echo "screenshot: no $1 dialog" >&2; exit 1; }
    title=${line#*$'\t'}
    id=$(xwininfo -root -tree | awk -v name="\"$title\":" 'index($0, name) { print $1; exit }')
    [[ -n "$id" ]] || { echo "screenshot: window \"$title\" not found" >&2; exit 1; }
    import -window "$id" "$out/$3"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    exec 7<&-
    echo "screenshot: wrote $out/$3"
}
shoot_dialog option default option-dialog.png
shoot_dialog param-edit default param-edit.png
shoot_dialog about default about.png
