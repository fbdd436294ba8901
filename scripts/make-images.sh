#!/usr/bin/env bash
# Draws the main window's 16x16 image strip (res/Images.bmp; magenta is transparent). Run it by
# hand after changing a glyph; the bitmap itself is committed. Index: what the image stands for.
#  0 select files   1 help      2 website   3 about      4 browse folder  5 exit   6 start
#  7 stop           8 select all 9 log      10 find      11 replace      12 backup 13 scan folders
set -euo pipefail
cd "$(dirname "$0")/.."
im=$(command -v convert-im6.q16 || command -v convert)
tile() {  # tile <index> <draw arguments...>
    local i=$1; shift
    "$im" -size 16x16 xc:'#ff00ff' +antialias "$@" "/tmp/lumora-glyph-$i.png"
}
folder=(-fill '#f2c14e' -stroke '#a57d1c' -draw 'polygon 1,4 6,4 7,5 14,5 14,13 1,13')
tile 0 -fill white -stroke '#5a6b7d' -draw 'rectangle 3,1 12,14' -stroke '#2e8b3a' -strokewidth 2 -draw 'polyline 5,8 7,11 11,5'
tile 1 -fill '#2f6fc0' -stroke '#1d4f8e' -draw 'circle 8,8 8,1' -fill white -stroke none -pointsize 12 -font DejaVu-Sans-Bold -gravity center -annotate +0+0 '?'
tile 2 -fill '#4aa3df' -stroke '#1d6a9e' -draw 'circle 8,8 8,1' -stroke '#2e8b3a' -fill '#5cb85c' -draw 'ellipse 6,7 3,4 0,360' -draw 'ellipse 11,10 2,2 0,360'
tile 3 -fill '#2f6fc0' -stroke '#1d4f8e' -draw 'circle 8,8 8,1' -fill white -stroke none -draw 'rectangle 7,7 9,12' -draw 'rectangle 7,4 9,5'
tile 4 "${folder[@]}"
tile 5 -fill '#a0522d' -stroke '#5c2e14' -draw 'rectangle 3,1 11,14' -fill '#ffd24a' -stroke none -draw 'rectangle 9,7 10,8'
tile 6 -fill '#2e9e48' -stroke '#1f6e31' -draw 'polygon 4,2 13,8 4,14'
tile 7 -fill '#d64541' -stroke '#9c2a27' -draw 'rectangle 3,3 12,12'
tile 8 -fill white -stroke '#5a6b7d' -draw 'rectangle 1,1 9,9' -draw 'rectangle 6,6 14,14' -stroke '#2e8b3a' -draw 'line 8,10 12,10'
tile 9 -fill white -stroke '#5a6b7d' -draw 'rectangle 2,1 13,14' -stroke '#8a9aab' -draw 'line 4,4 11,4' -draw 'line 4,7 11,7' -draw 'line 4,10 9,10'
tile 10 -fill none -stroke '#3b4a5a' -strokewidth 2 -draw 'circle 6,6 6,2' -draw 'line 9,9 14,14'
tile 11 -fill white -stroke '#5a6b7d' -draw 'rectangle 3,1 12,14' -fill '#ffc933' -stroke none -draw 'rectangle 4,6 11,9'
tile 12 -fill '#c9d6e3' -stroke '#5a6b7d' -draw 'rectangle 1,3 10,13' -fill white -draw 'rectangle 5,1 14,11'
tile 13 "${folder[@]}" -fill none -stroke '#1d4f8e' -strokewidth 2 -draw 'circle 9,9 9,6' -draw 'line 11,11 14,14'
"$im" $(for i in $(seq 0 13); do echo "/tmp/lumora-glyph-$i.png"; done) +append -alpha off -type truecolor BMP3:res/Images.bmp
rm -f /tmp/lumora-glyph-*.png
