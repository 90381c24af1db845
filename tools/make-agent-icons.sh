#!/usr/bin/env bash
# Draws the tray agent's icons (an open eye on a blue disc) with ImageMagick
# and writes them to agent/resources/:
#   VigilorTaskbar.ico   the file icon
#   small.ico            the notification-area icon while no session runs
#   tray-*.ico           the notification-area icons of every state, for a
#                        dark and for a light taskbar, and for high contrast
#                        themes: white on a dark window colour, black on a
#                        light one
# The results are committed; run this again only to change the drawing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../agent/resources"
convert=/usr/bin/convert
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

# Every picture is drawn once at 256 pixels and scaled from there.
eye=(-fill white -draw 'ellipse 128,128 100,56 0,360'
  -fill '#0d47a1' -draw 'circle 128,128 128,90'
  -fill black -draw 'circle 128,128 128,112'
  -fill white -draw 'circle 112,112 112,104')

$convert -size 256x256 xc:none \
  -fill '#1565c0' -draw 'circle 128,128 128,8' "${eye[@]}" "$tmp/file.png"

# The tray drawings: the eye alone while idle; with a clock badge in a
# session; with a warning triangle during the shutdown countdown. The badges
# differ in shape, not only in colour. Each gets a rim that stands out
# against the taskbar: light on a dark taskbar, dark on a light one.
tray_picture() { # STATE RIM OUTPUT
  local badge=()
  case $1 in
  session)
    badge=(-fill "$2" -draw 'circle 192,192 192,120'
      -fill '#2e7d32' -draw 'circle 192,192 192,132'
      -stroke white -strokewidth 14 -draw 'line 192,192 192,152' -draw 'line 192,192 222,192'
      -stroke none)
    ;;
  countdown)
    badge=(-fill "$2" -draw 'polygon 192,108 254,250 130,250'
      -fill '#c62828' -draw 'polygon 192,130 240,240 144,240'
      -fill white -draw 'rectangle 185,160 199,208' -draw 'rectangle 185,218 199,232')
    ;;
  esac
  $convert -size 256x256 xc:none \
    -fill "$2" -draw 'circle 128,128 128,0' \
    -fill '#1565c0' -draw 'circle 128,128 128,12' "${eye[@]}" "${badge[@]}" "$3"
}

# High contrast themes ask for one colour on the theme's background, so the
# eye and its badges are drawn as lines in COLOUR alone. Each badge is set
# apart from the eye by a gap rather than by colour.
hc_picture() { # STATE COLOUR OUTPUT
  local gap=() badge=()
  case $1 in
  session)
    gap=(-fill black -draw 'circle 192,192 192,116')
    badge=(-fill none -stroke "$2" -strokewidth 14 -draw 'circle 192,192 192,136'
      -draw 'line 192,192 192,156' -draw 'line 192,192 220,192')
    ;;
  countdown)
    gap=(-fill black -draw 'polygon 192,92 266,256 118,256')
    badge=(-fill none -stroke "$2" -strokewidth 14 -draw 'polygon 192,124 244,240 140,240'
      -stroke none -fill "$2" -draw 'rectangle 185,160 199,204' -draw 'rectangle 185,214 199,228')
    ;;
  esac
  $convert -size 256x256 xc:none -fill none -stroke "$2" -strokewidth 18 \
    -draw 'ellipse 128,128 104,60 0,360' -stroke none -fill "$2" -draw 'circle 128,128 128,96' \
    "$tmp/eye.png"
  $convert -size 256x256 xc:none "${gap[@]}" "$tmp/gap.png"
  $convert -size 256x256 xc:none "${badge[@]}" "$tmp/badge.png"
  $convert "$tmp/eye.png" "$tmp/gap.png" -compose DstOut -composite \
    "$tmp/badge.png" -compose Over -composite "$3"
}

# Writes an .ico whose images are PNG-compressed (and squeezed by optipng,
# losslessly): a fraction of the bitmap form's bytes, and the agent carries
# eight icons. Windows loads a PNG icon image only as 32-bit RGBA with 8 bits
# per channel (colour type 6, bit depth 8), so optipng may recompress but
# never reduce to a palette, grey or another depth: a reduced image is left
# blank by Windows, though Wine draws it.
png_ico() { # OUTPUT MASTER SIZES...
  local ico=$1 master=$2 pngs=()
  shift 2
  for s in "$@"; do
    $convert "$master" -resize "${s}x${s}" -strip -define png:exclude-chunks=date,time \
      -define png:color-type=6 -define png:bit-depth=8 "PNG32:$tmp/$s.png"
    optipng -quiet -o5 -nx -strip all "$tmp/$s.png"
    pngs+=("$tmp/$s.png")
  done
  python3 - "$ico" "${pngs[@]}" <<'EOF'
import struct, sys
out, files = sys.argv[1], sys.argv[2:]
images = [open(f, "rb").read() for f in files]
header = struct.pack("<HHH", 0, 1, len(images))
offset = len(header) + 16 * len(images)
entries, data = b"", b""
for image in images:
    width, height = struct.unpack(">II", image[16:24])
    entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(image), offset)
    offset += len(image)
    data += image
open(out, "wb").write(header + entries + data)
EOF
}

png_ico "$out/VigilorTaskbar.ico" "$tmp/file.png" 16 24 32 48 64 256

# The notification area shows 16 pixels at 100 %, 20 at 125 %, 24 at 150 %,
# 32 at 200 % and 48 at 300 %; Windows scales the 48 down for the rare 250 %.
tray_sizes=(16 20 24 32 48)
for state in idle session countdown; do
  for taskbar in dark light; do
    rim='#e3f2fd'
    [ "$taskbar" = light ] && rim='#0a1f44'
    tray_picture "$state" "$rim" "$tmp/$state-$taskbar.png"
    png_ico "$out/tray-$state-$taskbar.ico" "$tmp/$state-$taskbar.png" "${tray_sizes[@]}"
  done
  for colour in white black; do
    hc_picture "$state" "$colour" "$tmp/$state-hc-$colour.png"
    png_ico "$out/tray-$state-hc-$colour.ico" "$tmp/$state-hc-$colour.png" "${tray_sizes[@]}"
  done
done
# The idle icon on a dark taskbar is the agent's long-standing tray icon.
mv "$out/tray-idle-dark.ico" "$out/small.ico"
python3 "$here/check-icons.py" "$out"/*.ico
echo "icons written to $out"
