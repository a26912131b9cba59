#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the application icon's PNG sizes from cardwise.svg (needs rsvg-convert, package
# librsvg2-bin). The PNGs are committed; run this only after changing the drawing.
set -eu
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" cardwise.svg | convert - -strip "cardwise-$size.png"
done
