#!/usr/bin/env bash
# How many game hosts one machine holds. Measures one glyphon-server while two
# computer players play at the normal pace (resident and proportional memory,
# CPU), then many hosts side by side for a while (their total memory and
# CPU). Every host plays its own game on a port of its own, in a network
# namespace with nothing but loopback, works in a folder of its own (as each
# instance of glyphon-server@.service does) and stops by itself after its time.
#   bench/server_capacity.sh [PROGRAM]
# PROGRAM defaults to the packaged build (build/package, from
# scripts/package.sh), else the development build. Environment:
#   GLYPHON_BENCH_ONE_SECONDS   the one host's measured time (default 120)
#   GLYPHON_BENCH_HOSTS         hosts side by side (default 50)
#   GLYPHON_BENCH_MANY_SECONDS  their run time (default 60)
#   GLYPHON_BENCH_OPTIONS       more options for every host (e.g. --rizi strong)
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."

if [ -z "${GLYPHON_BENCH_NETNS:-}" ]; then
    program=${1:-}
    if [ -z "$program" ]; then
        for candidate in build/package/src/app/glyphon-server build/src/app/glyphon-server; do
            [ -x "$candidate" ] && { program=$candidate; break; }
        done
    fi
    [ -n "$program" ] && [ -x "$program" ] || { echo "server_capacity.sh: build first (scripts/package.sh)" >&2; exit 2; }
    program=$(realpath "$program")
    # A network namespace of our own: nothing outside can reach the hosts.
    netns=(unshare --net)
    [ "$(id -u)" -eq 0 ] || netns=(unshare --user --map-root-user --net)
    exec env GLYPHON_BENCH_NETNS=1 "${netns[@]}" "$self" "$program"
fi
program=$1
ip link set lo up 2>/dev/null || true

one_seconds=${GLYPHON_BENCH_ONE_SECONDS:-120}
hosts=${GLYPHON_BENCH_HOSTS:-50}
many_seconds=${GLYPHON_BENCH_MANY_SECONDS:-60}
warmup=5
work=$(mktemp -d)
started=()
finish() {
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

# Starts host number N on port 7800+N, in its own folder, stopped by timeout
# after SECONDS; the normal tick and computer speed; a seeded game to 200
# points at 60 seconds a turn, so every run plays the same games.
start_host() {
    local n=$1 seconds=$2
    mkdir -p "$work/$n"
    (cd "$work/$n" && exec timeout -k 5 "$seconds" "$program" --port $((7800 + n)) \
        --start-game 200,60 --seed "$n" ${GLYPHON_BENCH_OPTIONS:-} >"$work/$n.log" 2>&1) &
    started+=($!)
}
# The glyphon-server process under the timeout whose process id is given.
host_pid() {
    local pid
    for _ in $(seq 1 50); do
        pid=$(pgrep -P "$1" -x glyphon-server || true)
        [ -n "$pid" ] && { echo "$pid"; return; }
        sleep 0.1
    done
    echo "server_capacity.sh: a host did not start" >&2; exit 1
}
kb() { awk -v key="$2:" '$1 == key { print $2; exit }' "$1" 2>/dev/null || echo 0; }
# Time on a CPU in microseconds (the scheduler's count, finer than the stat ticks).
cpu_us() { awk '{ printf "%d", $1 / 1000 }' "/proc/$1/schedstat" 2>/dev/null || echo 0; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f MB", k / 1024 }'; }
words() { grep -c '^  seat .*: [A-Z]* +' "$1" || true; }

echo "program: $program ($(stat -c %s "$program") bytes) ${GLYPHON_BENCH_OPTIONS:-}"
echo "machine: $(nproc) cores, $(mb "$(kb /proc/meminfo MemTotal)") memory, load $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "== one host, two computer players, normal tick, ${one_seconds} s"
start_host 0 $((warmup + one_seconds + 10))
pid=$(host_pid "${started[0]}")
sleep "$warmup"
startup_cpu=$(cpu_us "$pid")
words0=$(words "$work/0.log")
max_rss=0 max_pss=0 pss_anon=0 pss_file=0 private=0
for _ in $(seq 1 $((one_seconds / 5))); do
    sleep 5
    rss=$(kb "/proc/$pid/status" VmRSS)
    pss=$(kb "/proc/$pid/smaps_rollup" Pss)
    if [ "$pss" -gt "$max_pss" ]; then
        max_pss=$pss
        pss_anon=$(kb "/proc/$pid/smaps_rollup" Pss_Anon)
        pss_file=$(kb "/proc/$pid/smaps_rollup" Pss_File)
        private=$(( $(kb "/proc/$pid/smaps_rollup" Private_Clean) + $(kb "/proc/$pid/smaps_rollup" Private_Dirty) ))
    fi
    [ "$rss" -gt "$max_rss" ] && max_rss=$rss
done
cpu=$(( $(cpu_us "$pid") - startup_cpu ))
played=$(( $(words "$work/0.log") - words0 ))
peak=$(kb "/proc/$pid/status" VmHWM)
kill "$pid"
wait "${started[0]}" || true
started=()
echo "start-up CPU: $(awk -v t="$startup_cpu" 'BEGIN { printf "%.3f s", t / 1e6 }')"
echo "resident (RSS): $(mb "$max_rss") (peak $(mb "$peak"))"
echo "proportional (PSS): $(mb "$max_pss"): anonymous $(mb "$pss_anon"), files and libraries $(mb "$pss_file"); private to it $(mb "$private")"
echo "CPU: $(awk -v t="$cpu" -v s="$one_seconds" 'BEGIN { printf "%.3f s in %d s = %.4f %% of one core", t / 1e6, s, 100 * t / 1e6 / s }')"
echo "words played meanwhile: $played"

echo
echo "== $hosts hosts side by side, each stopping after ${many_seconds} s"
now() { date +%s.%N; }
since() { awk -v t0="$1" -v now="$(now)" 'BEGIN { printf "%.1f", now - t0 }'; }
first=$(now)
for n in $(seq 1 "$hosts"); do start_host "$n" "$many_seconds"; done
pids=()
for t in "${started[@]}"; do pids+=("$(host_pid "$t")"); done
echo "all started in $(since "$first") s"
# Measured from when the last has settled to some seconds before the first
# one's time is up: every host counts over the whole window.
sleep "$warmup"
total_cpu() {
    local sum=0 p us
    for p in "${pids[@]}"; do
        us=$(cpu_us "$p")
        [ "$us" -gt 0 ] || { echo "server_capacity.sh: host $p ended early" >&2; exit 1; }
        sum=$((sum + us))
    done
    echo "$sum"
}
cpu0=$(total_cpu)
t0=$(now)
max_rss=0 max_pss=0 anon=0 private=0
while awk -v e="$(since "$first")" -v end=$((many_seconds - 8)) 'BEGIN { exit !(e < end) }'; do
    rss=0 pss=0 pss_anon=0 uss=0
    for p in "${pids[@]}"; do
        rss=$((rss + $(kb "/proc/$p/status" VmRSS)))
        pss=$((pss + $(kb "/proc/$p/smaps_rollup" Pss)))
        pss_anon=$((pss_anon + $(kb "/proc/$p/smaps_rollup" Pss_Anon)))
        uss=$((uss + $(kb "/proc/$p/smaps_rollup" Private_Clean) + $(kb "/proc/$p/smaps_rollup" Private_Dirty)))
    done
    [ "$rss" -gt "$max_rss" ] && max_rss=$rss
    [ "$pss" -gt "$max_pss" ] && { max_pss=$pss; anon=$pss_anon; private=$uss; }
    sleep 2
done
cpu1=$(total_cpu)
elapsed=$(since "$t0")
load=$(cut -d' ' -f1 /proc/loadavg)
# Every host stops by itself; none may have failed before its time.
stopped=0
for pid in "${started[@]}"; do
    status=0
    wait "$pid" || status=$?
    [ "$status" -eq 124 ] && stopped=$((stopped + 1))
done
started=()
games=0 played=0
for n in $(seq 1 "$hosts"); do
    grep -q '^Game to 200 points' "$work/$n.log" && games=$((games + 1))
    played=$((played + $(words "$work/$n.log")))
done
echo "hosts playing: $games of $hosts; stopped by their timeout: $stopped; words played: $played"
echo "resident (sum of RSS): $(mb "$max_rss"), $(mb $((max_rss / hosts))) a host"
echo "proportional (sum of PSS): $(mb "$max_pss"), $(mb $((max_pss / hosts))) a host, of which anonymous $(mb $((anon / hosts)))"
echo "private to each (what one more host adds): $(mb $((private / hosts))) a host"
echo "CPU: $(awk -v t=$((cpu1 - cpu0)) -v s="$elapsed" -v h="$hosts" \
    'BEGIN { printf "%.3f s in %.1f s = %.3f %% of one core (%.4f %% a host)", t / 1e6, s, 100 * t / 1e6 / s, 100 * t / 1e6 / s / h }')"
echo "load average at the end: $load"
[ "$games" -eq "$hosts" ] && [ "$stopped" -eq "$hosts" ] || { echo "server_capacity.sh: a host failed" >&2; exit 1; }
