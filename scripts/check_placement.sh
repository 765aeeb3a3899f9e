#!/usr/bin/env bash
# Manual check of where the window comes back, under a real window manager:
# Xvfb with openbox, several starts of a solo game, with and without a move
# in between. Each start must put the frame where the last close left it
# (or wholly on the screen when it was left partly off), and no start may
# put the title bar above the screen. Installs what it
# lacks (as root). Usage: scripts/check_placement.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"
program="$build/src/app/glyphon"
[ -x "$program" ] || { echo "no program at $program; run scripts/build.sh first" >&2; exit 2; }

missing=()
for tool in Xvfb:xvfb openbox:openbox xdotool:xdotool xprop:x11-utils; do
    command -v "${tool%%:*}" >/dev/null || missing+=("${tool##*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
    apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
fi

work="$(mktemp -d)"
display=":$((90 + RANDOM % 50))"
cleanup() {
    [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A copy of the program in a folder of its own keeps its settings there.
cp "$program" "$work/glyphon"
printf '[Glyphon]\nHelp=2\n' > "$work/marnetlobby.ini"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
export DISPLAY="$display" QT_QPA_PLATFORM=xcb GLYPHON_PORT=$((20000 + RANDOM % 20000))
sleep 1
openbox >/dev/null 2>&1 & wm=$!
sleep 1

setting() { sed -n "s/^$1=//p" "$work/marnetlobby.ini" | tr -d '\r'; }

# The frame's corner of the main window: its inside less the frame's extents.
# xwininfo gives the inside's absolute corner; xdotool's answer under openbox
# is off by the frame.
frame_corner() {
    local id="$1" X Y ext left top
    X="$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left X: *//p')"
    Y="$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left Y: *//p')"
    ext="$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= //p')"
    left="${ext%%,*}"; top="$(echo "$ext" | cut -d, -f3 | tr -d ' ')"
    echo "$((X - ${left:-0})) $((Y - ${top:-0}))"
}

failures=0
run() {
    local move="$1" damaged="${2:-}" partly="${3:-}" id corner
    (cd "$work" && ./glyphon) >/dev/null 2>&1 & app=$!
    id="$(xdotool search --sync --onlyvisible --name '^Glyphon$' | head -1)"
    sleep 2 # the settings are read once the own seat is announced
    corner="$(frame_corner "$id")"
    local want="$(setting Left) $(setting Top)"
    if [ -z "$damaged" ] && [ -n "$(setting Top)" ] && [ "$corner" != "$want" ]; then
        echo "FAIL: came back at $corner, saved at $want"; failures=$((failures + 1))
    fi
    # A place partly off the screen comes back wholly on it.
    if [ -n "$partly" ] && [ $(( ${corner% *} + $(setting Width) )) -gt 1280 ]; then
        echo "FAIL: came back at $corner, partly off the screen"; failures=$((failures + 1))
    fi
    if [ "${corner#* }" -lt 0 ]; then
        echo "FAIL: title bar above the screen at $corner"; failures=$((failures + 1))
    fi
    if [ -n "$move" ]; then
        xdotool windowmove "$id" $move
        sleep 1
    fi
    echo "start: frame at $corner${move:+, moved to $move}"
    xdotool windowactivate --sync "$id" key --clearmodifiers alt+F4 || true
    wait "$app" || true
    app=
    echo "  saved Left=$(setting Left) Top=$(setting Top) Width=$(setting Width) Height=$(setting Height)"
    if [ "$(setting Top)" -lt 0 ] 2>/dev/null; then
        echo "FAIL: saved a title bar above the screen"; failures=$((failures + 1))
    fi
}

run ""           # first start at the default place
run "400 23"     # a move, then the restart must come back there
run ""
run "40 300"
run ""
run "900 500"    # half off the screen: the restart brings it wholly on
run "" damaged partly
printf '[Glyphon]\nHelp=2\nTop=-17\nLeft=3\nWidth=100000\nHeight=100000\n' > "$work/marnetlobby.ini"
run "" damaged   # a damaged place and size come back on the screen
echo "failures: $failures"
[ "$failures" -eq 0 ]
