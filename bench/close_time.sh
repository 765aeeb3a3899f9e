#!/usr/bin/env bash
# How long a hosting window takes to go when it is closed while its router
# and its lobby never answer: the time until the window is gone and the time
# until the process is gone, median of RUNS closes.
#
#   bench/close_time.sh [BUILD_DIR] [RUNS]
#
# The lobby is a loopback port that accepts connections and never answers;
# the router is whatever this machine's network has (none answers in a
# sandbox). The window is closed as a kill closes it (like File > Exit,
# without the question). Needs Xvfb and xdotool (scripts/setup.sh).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
work=$(mktemp -d)
display=:$((90 + RANDOM % 50))
cleanup() {
    [ -n "${lobby_pid:-}" ] && kill "$lobby_pid" 2>/dev/null || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!

# A lobby that takes the connection and never says a word.
lobby_port=$((40000 + RANDOM % 10000))
python3 -c '
import socket, sys
s = socket.socket(); s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(64)
held = []
while True:
    held.append(s.accept()[0])
' "$lobby_port" &
lobby_pid=$!
sleep 0.3

# The program runs from a folder of its own, so its settings are the bench's.
cp "$build/src/app/glyphon" "$work/"
cat > "$work/marnetlobby.ini" <<INI
[Glyphon]
Name=Bench
OpenPortOnRouter=true
LobbyAddress=http://127.0.0.1:$lobby_port
ListOnLobby=true
INI

now() { date +%s.%N; }
gone=()
ended=()
for i in $(seq "$runs"); do
    port=$((20000 + RANDOM % 20000))
    DISPLAY=$display QT_QPA_PLATFORM=xcb GLYPHON_PORT=$port HOME="$work" XDG_CONFIG_HOME="$work/config" \
        XDG_DATA_HOME="$work/data" "$work/glyphon" Bench 127.0.0.1 true >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 100); do
        DISPLAY=$display xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 2 # hosting has started: the router is asked, the lobby called
    t0=$(now)
    kill -TERM "$pid"
    while DISPLAY=$display xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do sleep 0.01; done
    t1=$(now)
    wait "$pid" || true
    t2=$(now)
    gone+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN {print (b - a) * 1000}')")
    ended+=("$(awk -v a="$t0" -v b="$t2" 'BEGIN {print (b - a) * 1000}')")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
printf 'window gone after a close: median %.0f ms (of %d)\n' "$(median "${gone[@]}")" "$runs"
printf 'process gone after a close: median %.0f ms (of %d)\n' "$(median "${ended[@]}")" "$runs"
