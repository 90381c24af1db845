#!/usr/bin/env bash
# Draws the tray agent's icons (an open eye on a blue disc) with ImageMagick
# and writes agent/resources/VigilorTaskbar.ico (the file icon) and small.ico
# (the notification-area icon). The results are committed; run this again
# only to change the drawing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../agent/resources"
convert=/usr/bin/convert
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

# One 256-pixel master; every size is scaled from it.
$convert -size 256x256 xc:none \
  -fill '#1565c0' -draw 'circle 128,128 128,8' \
  -fill white -draw 'ellipse 128,128 100,56 0,360' \
  -fill '#0d47a1' -draw 'circle 128,128 128,90' \
  -fill black -draw 'circle 128,128 128,112' \
  -fill white -draw 'circle 112,112 112,104' \
  "$tmp/master.png"

pngs=()
for s in 16 24 32 48 64 256; do
  $convert "$tmp/master.png" -resize ${s}x${s} "$tmp/$s.png"
  pngs+=("$tmp/$s.png")
done
$convert "${pngs[@]}" "$out/VigilorTaskbar.ico"
$convert "$tmp/16.png" "$tmp/24.png" "$tmp/32.png" "$out/small.ico"
echo "icons written to $out"
