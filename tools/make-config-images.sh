#!/usr/bin/env bash
# Draws the configuration application's pictures with ImageMagick: the ten PNG
# files of its resource bundle (config/resources/images/, at the pixel sizes
# the form and the dialogs are laid out for) and the program icon
# (config/resources/PCVigilor.ico). The results are committed; run this again
# only to change the drawings.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
res="$here/../config/resources"
img="$res/images"
# /usr/local/bin may hold something else under the same name.
convert=/usr/bin/convert
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
mkdir -p "$img"

# The eye of the tray icon, so that both programs look related.
eye() { # size file
  $convert -size 256x256 xc:none \
    -fill '#1565c0' -draw 'circle 128,128 128,8' \
    -fill white -draw 'ellipse 128,128 100,56 0,360' \
    -fill '#0d47a1' -draw 'circle 128,128 128,90' \
    -fill black -draw 'circle 128,128 128,112' \
    -fill white -draw 'circle 112,112 112,104' \
    -resize "$1x$1" "$2"
}

# Toolbar icons are drawn on a 96-pixel canvas and scaled down, which gives
# smooth edges at 24 pixels.
icon() { # pixels file draw-arguments...
  local px=$1 out=$2; shift 2
  $convert -size 96x96 xc:none -strokewidth 8 "$@" -resize "${px}x${px}" "$out"
}

icon 40 "$img/Play.png" \
  -fill '#2e7d32' -draw 'circle 48,48 48,4' \
  -fill white -draw 'polygon 36,26 36,70 72,48'
icon 24 "$img/IconNo24.png" \
  -fill '#c62828' -draw 'circle 48,48 48,4' \
  -stroke white -strokewidth 12 -draw 'line 30,30 66,66' -draw 'line 66,30 30,66'
icon 24 "$img/Save24.png" \
  -fill '#1565c0' -draw 'roundrectangle 8,8 88,88 8,8' \
  -fill white -draw 'rectangle 24,12 72,40' \
  -fill '#0d47a1' -draw 'rectangle 22,56 74,88'
icon 24 "$img/rocket24.png" \
  -fill '#ef6c00' -draw 'polygon 30,70 14,82 26,58' -draw 'polygon 70,66 82,82 58,70' \
  -fill '#90a4ae' -draw 'polygon 76,8 88,20 44,76 20,52' \
  -fill '#1565c0' -draw 'circle 62,34 62,26'
icon 24 "$img/websiteIcon24.png" \
  -fill '#29b6f6' -stroke '#01579b' -draw 'circle 48,48 48,6' \
  -fill none -draw 'ellipse 48,48 18,42 0,360' -draw 'line 6,48 90,48' \
  -draw 'line 14,28 82,28' -draw 'line 14,68 82,68'
icon 24 "$img/About24.png" \
  -fill '#1565c0' -draw 'circle 48,48 48,4' \
  -fill white -draw 'circle 48,26 48,19' -draw 'roundrectangle 41,40 55,78 4,4'

eye 128 "$img/About.png"

# The tray picture: a strip of taskbar with the notification area and the
# agent's icon in it, and the menu the icon opens.
eye 40 "$tmp/eye40.png"
$convert -size 582x207 xc:'#eceff1' \
  -fill '#263238' -draw 'rectangle 0,157 581,206' \
  -fill '#37474f' -draw 'rectangle 330,162 581,201' \
  -fill white -draw 'rectangle 300,12 560,140' \
  -fill '#cfd8dc' -draw 'rectangle 300,12 560,52' \
  -fill '#90a4ae' -draw 'rectangle 316,68 520,80' -draw 'rectangle 316,96 480,108' \
  -fill '#90a4ae' -draw 'rectangle 316,122 440,132' \
  -fill '#1565c0' -draw 'rectangle 316,26 500,38' \
  -fill white -draw 'rectangle 500,172 560,184' -draw 'rectangle 440,172 470,184' \
  "$tmp/eye40.png" -geometry +388+162 -composite \
  -stroke '#1565c0' -strokewidth 4 -draw 'line 408,160 430,142' \
  "$img/VigilorTrayIcon.png"

# The other product: a logo of four tiles, and a screenshot of its window.
$convert -size 300x300 xc:none \
  -fill '#6a1b9a' -draw 'roundrectangle 10,10 290,290 40,40' \
  -fill '#ffb300' -draw 'roundrectangle 60,60 140,140 12,12' \
  -fill '#26c6da' -draw 'roundrectangle 160,60 240,140 12,12' \
  -fill '#66bb6a' -draw 'roundrectangle 60,160 140,240 12,12' \
  -fill '#ef5350' -draw 'roundrectangle 160,160 240,240 12,12' \
  "$img/HalvernPlus.png"
$convert -size 454x375 xc:'#fafafa' \
  -fill '#6a1b9a' -draw 'rectangle 0,0 453,36' \
  -fill white -draw 'rectangle 12,12 200,24' \
  -fill '#ede7f6' -draw 'rectangle 0,37 120,374' \
  -fill '#9575cd' -draw 'rectangle 12,56 108,72' -draw 'rectangle 12,88 108,104' \
  -draw 'rectangle 12,120 108,136' -draw 'rectangle 12,152 108,168' \
  -fill '#66bb6a' -draw 'circle 220,150 220,80' \
  -fill '#fafafa' -draw 'circle 220,150 220,110' \
  -fill '#b0bec5' -draw 'rectangle 310,90 430,102' -draw 'rectangle 310,120 410,132' \
  -draw 'rectangle 310,150 420,162' -draw 'rectangle 150,260 430,272' \
  -draw 'rectangle 150,290 400,302' \
  -fill '#ffb300' -draw 'roundrectangle 320,320 440,356 8,8' \
  "$img/HalvernPlusScreenShot.png"

sizes=()
for s in 16 24 32 48 64 256; do
  eye "$s" "$tmp/$s.png"
  sizes+=("$tmp/$s.png")
done
# ImageMagick writes the sizes below 256 as bitmaps and the 256 as PNG, by
# default at the 16 bits per channel it draws with; Windows loads a PNG icon
# image only as 8-bit RGBA.
$convert "${sizes[@]}" -depth 8 -define png:color-type=6 -define png:bit-depth=8 \
  "$res/PCVigilor.ico"
python3 "$here/check-icons.py" "$res/PCVigilor.ico"
echo "pictures written to $res"
