#!/usr/bin/env bash
# Draws the application icon (res/Lumora.ico): a page with two text lines, one of them marked
# as replaced. Run it by hand after changing the design; the icon itself is committed.
set -euo pipefail
cd "$(dirname "$0")/.."
im=$(command -v convert-im6.q16 || command -v convert)
"$im" -size 256x256 xc:none \
    -fill '#1f5fa8' -draw 'roundrectangle 8,8 247,247 40,40' \
    -fill '#ffffff' -draw 'roundrectangle 52,36 204,220 14,14' \
    -fill '#9fb3c8' -draw 'rectangle 76,72 180,88' \
    -fill '#ffc933' -draw 'rectangle 70,112 186,140' \
    -fill '#1f5fa8' -draw 'rectangle 80,120 176,132' \
    -fill '#9fb3c8' -draw 'rectangle 76,164 160,180' \
    -define icon:auto-resize=256,48,32,16 res/Lumora.ico
