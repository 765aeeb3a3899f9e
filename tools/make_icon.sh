#!/usr/bin/env bash
# Writes the application icon as SVG and renders the PNG sizes the desktop
# needs. The drawing matches glyphon::paintLogo (src/windows/logo.cpp): four
# letter tiles "G L / Y P" on a dark rounded square, in a 64 by 64 grid.
# Needs ImageMagick's convert. Output is committed; run again after changes.
set -euo pipefail
cd "$(dirname "$0")/.."
out=resources/icons
mkdir -p "$out"

backdrop='#1d3557'
free='#f6ecd2'
held='#e76f51'
shadow='#0f1f36'

# tile X Y FILL INK PATH: one tile with its letter drawn as strokes.
tile() {
    cat <<TILE
  <rect x="$(($1 + 1)).5" y="$(($2 + 1)).5" width="24" height="24" rx="4" fill="$shadow"/>
  <rect x="$1" y="$2" width="24" height="24" rx="4" fill="$3"/>
  <path transform="translate($1 $2)" d="$5" fill="none" stroke="$4" stroke-width="3"
        stroke-linecap="round" stroke-linejoin="round"/>
TILE
}

{
    cat <<HEAD
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <title>Glyphon</title>
  <rect x="0" y="0" width="64" height="64" rx="12" fill="$backdrop"/>
HEAD
    tile 6 6 "$free" "$backdrop" "M 17.36 7.50 A 7 7 0 1 0 19 12 L 13 12"
    tile 34 6 "$held" "#ffffff" "M 8 5 L 8 19 L 17 19"
    tile 6 34 "$held" "#ffffff" "M 7 5 L 12 12 L 17 5 M 12 12 L 12 19"
    tile 34 34 "$free" "$backdrop" "M 8 19 L 8 5 L 13 5 A 4 4 0 0 1 13 13 L 8 13"
    echo '</svg>'
} > "$out/glyphon.svg"

for size in 48 128 256; do
    density=$((72 * size / 64))
    convert -background none -density "$density" "$out/glyphon.svg" \
        -resize "${size}x${size}" -strip "PNG32:$out/glyphon-$size.png"
done
echo "wrote $out/glyphon.svg and PNGs 48, 128, 256"
