#!/usr/bin/env bash
# What the X server shows of a notice popup: the agent starts a session over
# a backdrop of a known colour, the screen is captured while the popup is up,
# and its pixels are checked: the colour key (yellow) shows nowhere, the
# corners outside the rounded face show the backdrop, the face is black and
# carries white text in its middle.
#   popup_screenshot_test.sh PROBE.exe AGENT.exe OUTPUT_FOLDER [NAME]
# The screenshot is OUTPUT_FOLDER/NAME.png (NAME is "popup" unless given).
# Runs in the Wine session and on the X display of its caller; at any DPI.
set -euo pipefail
probe=$1 agent=$2 out=$3 name=${4:-popup}
mkdir -p "$out"
shot=$out/$name.png rect=$out/$name-rect.txt done=$out/$name-done
rm -f "$shot" "$rect" "$done"

backdrop='#1E5AC8' # RGB(30, 90, 200), painted by the probe
yellow='#FFFF00' black='#000000' white='#FFFFFF'

source "$(dirname "$0")/popup_scene.sh"
# The scene ends when told, also when this script fails.
scene=
trap 'touch "$done"; [ -z "$scene" ] || wait "$scene" || true' EXIT
popup_scene "$probe" "$agent" "$rect" "$done"
echo "popup at ($left, $top)-($right, $bottom)"

import -window root "$shot"
touch "$done"
echo "screenshot: $shot"

# The colour of one pixel as #RRGGBB.
pixel() {
  /usr/bin/convert "$shot" -crop "1x1+$1+$2" +repage -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -n 1
}
# How many pixels of a region (WxH+X+Y) have exactly the colour.
count() {
  /usr/bin/convert "$shot" -crop "$1" +repage -fill black +opaque "$2" -fill white -opaque "$2" \
    -format '%[fx:round(mean*w*h)]' info:
}

failures=0
expect_pixel() { # NAME X Y COLOUR
  local seen
  seen=$(pixel "$2" "$3")
  if [ "$seen" = "$4" ]; then
    echo "ok: $1 ($2, $3) is $seen"
  else
    echo "FAIL: $1 ($2, $3) is $seen, expected $4"
    failures=$((failures + 1))
  fi
}

width=$((right - left)) height=$((bottom - top))
screen=$(/usr/bin/identify -format '%wx%h+0+0' "$shot")

yellow_pixels=$(count "$screen" "$yellow")
if [ "$yellow_pixels" -eq 0 ]; then
  echo "ok: no yellow pixel on screen"
else
  echo "FAIL: $yellow_pixels yellow pixels on screen"
  failures=$((failures + 1))
fi

expect_pixel "left of the popup" $((left - 5)) $((top + height / 2)) "$backdrop"
expect_pixel "top left corner" $((left + 1)) $((top + 1)) "$backdrop"
expect_pixel "top right corner" $((right - 2)) $((top + 1)) "$backdrop"
expect_pixel "bottom left corner" $((left + 1)) $((bottom - 2)) "$backdrop"
expect_pixel "bottom right corner" $((right - 2)) $((bottom - 2)) "$backdrop"
expect_pixel "face near the top left" $((left + 12)) $((top + 12)) "$black"
expect_pixel "face at the left edge" $((left + 3)) $((top + height / 2)) "$black"
expect_pixel "face above the text" $((left + width / 2)) $((top + 15)) "$black"
expect_pixel "face below the text" $((left + width / 2)) $((bottom - 15)) "$black"

# The text is centred on one line: white pixels in the middle band, none
# near the top and bottom edges of the face.
text_pixels=$(count "$((width - 40))x30+$((left + 20))+$((top + height / 2 - 15))" "$white")
edge_pixels=$(count "$((width - 40))x20+$((left + 20))+$((top + 5))" "$white")
if [ "$text_pixels" -ge 30 ] && [ "$edge_pixels" -eq 0 ]; then
  echo "ok: $text_pixels white text pixels in the middle, none near the top"
else
  echo "FAIL: $text_pixels white pixels in the middle, $edge_pixels near the top"
  failures=$((failures + 1))
fi

# The text grows with the popup: at any DPI it spans about half its width.
text_box=$(/usr/bin/convert "$shot" -crop "${width}x${height}+$left+$top" +repage \
  -fill black +opaque "$white" -trim -format '%w %h' info:)
read -r text_width text_height <<<"$text_box"
if [ $((text_width * 100 / width)) -ge 40 ] && [ $((text_width * 100 / width)) -le 80 ]; then
  echo "ok: the text is $text_width x $text_height pixels in a popup $width pixels wide"
else
  echo "FAIL: the text is $text_width x $text_height pixels in a popup $width pixels wide"
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
