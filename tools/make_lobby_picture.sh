#!/usr/bin/env bash
# Draws the picture of the lobby download window: the lobby's front with its
# sign and closed double door, and a game table on each side. The window puts
# its red "IS CLOSED" label over the door, so the door's middle stays plain.
# 436 by 360 pixels, JPEG. Needs ImageMagick's convert. Output is committed;
# run again after changes.
set -euo pipefail
cd "$(dirname "$0")/.."
out=resources/pictures
mkdir -p "$out"
svg=$(mktemp --suffix=.svg)
trap 'rm -f "$svg"' EXIT

backdrop='#1d3557'
wall='#274b73'
free='#f6ecd2'
held='#e76f51'
wood='#8d5a3b'
panel='#6e4329'

# tile X Y FILL INK LETTER: one letter tile of a table's board.
tile() {
    cat <<TILE
  <rect x="$1" y="$2" width="22" height="22" rx="3" fill="$3" stroke="#0f1f36" stroke-width="1"/>
  <text x="$(($1 + 11))" y="$(($2 + 17))" text-anchor="middle" font-family="DejaVu Sans"
        font-weight="bold" font-size="15" fill="$4">$5</text>
TILE
}

# table X: a round table seen from the front, with a board of four tiles.
table() {
    cat <<TABLE
  <ellipse cx="$(($1 + 46))" cy="318" rx="58" ry="12" fill="#0f1f36" opacity="0.45"/>
  <rect x="$(($1 + 40))" y="262" width="12" height="56" fill="#3b2a1e"/>
  <ellipse cx="$(($1 + 46))" cy="262" rx="56" ry="16" fill="$wood" stroke="#3b2a1e" stroke-width="2"/>
TABLE
    tile $(($1 + 22)) 228 "$free" "$backdrop" G
    tile $(($1 + 46)) 228 "$held" "#ffffff" L
}

# lamp X: a wall lamp with its glow (in solid rings: the renderer has no
# transparency).
lamp() {
    cat <<LAMP
  <circle cx="$1" cy="118" r="26" fill="#34608e" stroke="none"/>
  <circle cx="$1" cy="118" r="17" fill="#4a7aa8" stroke="none"/>
  <rect x="$(($1 - 3))" y="120" width="6" height="22" fill="#0f1f36"/>
  <circle cx="$1" cy="118" r="9" fill="#ffe8a3"/>
LAMP
}

cat > "$svg" <<HEAD
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="436" height="360" viewBox="0 0 436 360">
  <rect x="0" y="0" width="436" height="300" fill="$backdrop"/>
  <rect x="0" y="100" width="436" height="200" fill="#22406a"/>
  <rect x="0" y="200" width="436" height="100" fill="$wall"/>
  <rect x="0" y="300" width="436" height="60" fill="#4a3628"/>
  <rect x="0" y="330" width="436" height="30" fill="#3b2a1e"/>
  <rect x="0" y="296" width="436" height="6" fill="#0f1f36"/>

  <rect x="84" y="18" width="268" height="54" rx="8" fill="#0f1f36"/>
  <rect x="80" y="14" width="268" height="54" rx="8" fill="$free" stroke="$held" stroke-width="3"/>
  <text x="214" y="50" text-anchor="middle" font-family="DejaVu Sans" font-weight="bold"
        font-size="22" fill="$backdrop">THE MARNET LOBBY</text>

  <rect x="130" y="88" width="176" height="212" fill="#0f1f36"/>
  <rect x="138" y="96" width="78" height="204" fill="$wood"/>
  <rect x="220" y="96" width="78" height="204" fill="$wood"/>
  <rect x="148" y="106" width="58" height="46" fill="#a8dadc" stroke="$panel" stroke-width="4"/>
  <rect x="230" y="106" width="58" height="46" fill="#a8dadc" stroke="$panel" stroke-width="4"/>
  <rect x="148" y="218" width="58" height="70" fill="none" stroke="$panel" stroke-width="4"/>
  <rect x="230" y="218" width="58" height="70" fill="none" stroke="$panel" stroke-width="4"/>
  <circle cx="208" cy="200" r="4" fill="#ffd166"/>
  <circle cx="228" cy="200" r="4" fill="#ffd166"/>
HEAD
{
    lamp 64
    lamp 372
    table 4
    table 340
    echo '</svg>'
} >> "$svg"

convert -density 72 "$svg" -resize '436x360!' -background "$backdrop" -flatten \
    -strip -quality 90 "$out/lobby.jpg"
echo "wrote $out/lobby.jpg"
