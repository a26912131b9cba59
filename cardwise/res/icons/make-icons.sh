#!/bin/sh
# Redraws the application icon (a network card with a power bolt and an RJ45 jack) with
# ImageMagick. The PNGs are committed; run this only to change the drawing.
set -eu
cd "$(dirname "$0")"
convert -size 256x256 xc:none \
    -fill '#1f6b43' -stroke '#123f27' -strokewidth 6 -draw 'roundrectangle 14,36 242,198 18,18' \
    -stroke none -fill '#d4a017' -draw 'rectangle 40,196 200,204' \
    -draw 'rectangle 44,204 56,228' -draw 'rectangle 64,204 76,228' -draw 'rectangle 84,204 96,228' \
    -draw 'rectangle 104,204 116,228' -draw 'rectangle 124,204 136,228' -draw 'rectangle 144,204 156,228' \
    -draw 'rectangle 164,204 176,228' -draw 'rectangle 184,204 196,228' \
    -fill '#c9d1d9' -stroke '#8b949e' -strokewidth 3 -draw 'rectangle 160,62 232,150' \
    -stroke none -fill '#161b22' -draw 'rectangle 172,84 220,140' -draw 'rectangle 186,140 206,150' \
    -fill '#d4a017' -draw 'rectangle 178,88 182,100' -draw 'rectangle 186,88 190,100' \
    -draw 'rectangle 194,88 198,100' -draw 'rectangle 202,88 206,100' -draw 'rectangle 210,88 214,100' \
    -fill '#0d1117' -stroke '#30363d' -strokewidth 2 -draw 'roundrectangle 34,62 138,166 6,6' \
    -stroke none -fill '#ffcc33' -draw 'polygon 98,70 56,124 84,124 70,160 118,102 90,102 108,70' \
    -fill '#3fb950' -draw 'circle 172,176 172,168' -fill '#f0883e' -draw 'circle 198,176 198,168' \
    -strip cardwise-256.png
for size in 64 48 32 16; do
    convert cardwise-256.png -resize "${size}x${size}" -strip "cardwise-$size.png"
done
