#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the picture of Wireshark's packet details of a device-information frame for the
# README (docs/screenshots/wireshark-device-info.png): the dissector's capture test records
# cardwise-cli and cardwise-sim on lo, and Wireshark shows that capture under Xvfb. All of it
# runs in a network namespace of its own (tools/netns-run).
#
#   contrib/wireshark/screenshot.sh [BUILD_DIR]      (default: build; needs wireshark, xdotool)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
out=$top/docs/screenshots/wireshark-device-info.png
lua=$here/cardwise.lua

for tool in wireshark tshark Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing" >&2; exit 1; }
done
if [[ "${CARDWISE_SCREENSHOT_INSIDE:-}" != 1 ]]; then
    CARDWISE_SCREENSHOT_INSIDE=1 exec "$top/tools/netns-run" bash "${BASH_SOURCE[0]}" "$build"
fi

work=$(mktemp -d)
# Whatever still runs in the background when the script ends is this script's own.
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT

"$here/tests/capture-test.sh" "$build/cardwise/cli/cardwise-cli" \
    "$build/cardwise/sim/cardwise-sim" "$lua" "$work/cards.pcapng" >/dev/null
frame=$(tshark -n -r "$work/cards.pcapng" -X "lua_script:$lua" -T fields -e frame.number \
    -Y 'cardwise.cmd == 0x2005 && cardwise.mac == 00:1a:2b:00:00:02' 2>/dev/null | head -n 1)
[[ -n $frame ]] || { echo "screenshot: no device information in the capture" >&2; exit 1; }

# Xvfb writes its display number to the descriptor once it accepts clients.
mkfifo "$work/xvfb.fd"
Xvfb -displayfd 5 -screen 0 1100x1200x24 -nolisten tcp 5>"$work/xvfb.fd" 2>"$work/xvfb.log" &
exec 5<"$work/xvfb.fd"
read -r -t 30 display <&5 || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$display XDG_CONFIG_HOME=$work/config

# The packet list above, the details of the chosen frame below, no bytes pane.
wireshark -n -r "$work/cards.pcapng" -X "lua_script:$lua" -g "$frame" \
    -Y 'cardwise.cmd != 0x2005 || cardwise.mac == 00:1a:2b:00:00:02' -o gui.layout_type:2 -o gui.layout_content_1:PLIST -o gui.layout_content_2:PDETAILS \
    -o gui.layout_content_3:NONE >"$work/wireshark.log" 2>&1 &
window=
for _ in $(seq 150); do
    window=$(xdotool search --onlyvisible --name 'cards\.pcapng' 2>/dev/null | head -n 1 || true)
    [[ -n $window ]] && break
    sleep 0.2
done
[[ -n $window ]] || { cat "$work/wireshark.log" >&2; echo "screenshot: no window" >&2; exit 1; }
xdotool windowsize --sync "$window" 1100 1200 windowmove --sync "$window" 0 0
sleep 2 # the window lays out its panes after it is mapped
# The details pane: its last top-level row is the card protocol; open it, items one a line.
xdotool mousemove --window "$window" 300 1100 click 1 key End key Right
sleep 1
import -window root "$work/shot.png"
convert "$work/shot.png" -colors 128 "PNG8:$out" # a palette keeps the file small
echo "screenshot: wrote $out"
