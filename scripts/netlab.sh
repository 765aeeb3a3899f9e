#!/usr/bin/env bash
# Network lab for hosting behind a home router, run by the test suite:
#
#   home (192.168.77.2) -- router (192.168.77.1 | 11.77.0.1, NAT, miniupnpd) -- internet (11.77.0.2)
#
# glyphon-server hosts in "home" with --open-port; the router's miniupnpd
# (UPnP IGD and NAT-PMP) forwards the port; a player in "internet" joins the
# router's outside address and plays a word; when the host ends, the
# forwarding must be gone. Then two namespaces on one bridge (10.88.0.0/24)
# must find each other's games by broadcast.
#
# The outside network uses a public-looking range on purpose: miniupnpd
# refuses to forward from a private or documentation address. It exists only
# between these namespaces, which have no route out of this computer.
#
# Then a lobby on the internet side: the host at home registers with it
# through the router, a player there finds the game in the lobby's list under
# the router's outside address, joins and plays a word, and the game leaves
# the list when the host ends.
#
# Usage: netlab.sh GLYPHON_SERVER LABPLAYER [GLYPHON_LOBBY]
# With NETLAB_SCREENSHOT=FILE.png and DISPLAY set (an X server such as Xvfb),
# the desktop program beside GLYPHON_SERVER also hosts in "home" and a
# picture of the screen is taken once the router has opened its port.
# Needs root; exits 77 (skipped) with the reason where namespaces cannot be
# made. Every namespace and process it made is removed on any exit.
set -uo pipefail

server=$(realpath "${1:?usage: netlab.sh GLYPHON_SERVER LABPLAYER}")
player=$(realpath "${2:?usage: netlab.sh GLYPHON_SERVER LABPLAYER}")
lobby=$(realpath "${3:-$(dirname "$server")/glyphon-lobby}")

# Debian 12's libminiupnpc reads a router's HTTP status with strtol from a
# buffer without a terminating zero (mended upstream since); the strict string
# checks of a sanitized run would stop the host there, in the library.
[ -n "${ASAN_OPTIONS:-}" ] && export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; show_logs; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "the network lab needs root to make network namespaces"
command -v ip >/dev/null || skip "the ip command (iproute2) is missing"

run=gl$$
home=$run-home router=$run-router internet=$run-internet
lan_a=$run-lan-a lan_b=$run-lan-b bridge=$run-bridge
namespaces=()
work=$(mktemp -d /tmp/glyphon-netlab.XXXXXX)

cleanup() {
    local ns pid
    for ns in "${namespaces[@]}"; do
        for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -TERM "$pid" 2>/dev/null; done
    done
    sleep 0.3
    for ns in "${namespaces[@]}"; do
        for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -KILL "$pid" 2>/dev/null; done
        ip netns del "$ns" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

show_logs() {
    local f
    for f in "$work"/*.log; do
        [ -s "$f" ] && { echo "--- $(basename "$f")"; tail -n 30 "$f"; }
    done
}

make_ns() {
    ip netns add "$1" 2>"$work/netns.err" || skip "cannot make network namespaces here: $(cat "$work/netns.err")"
    namespaces+=("$1")
    ip -n "$1" link set lo up
}

# Waits up to $2 seconds for the pattern $3 in file $1.
wait_for_line() {
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        grep -q -- "$3" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# Runs a command in a namespace without the test suite's loopback-only
# setting (the lab is the network). Started with "&", $! is the program itself.
clean=(env -u GLYPHON_LOOPBACK_ONLY -u GLYPHON_PORT)

make_ns "$home"

# The router's tools and the lobby check's: installed here, since only this lab needs them.
need=()
for p in miniupnpd miniupnpd-nftables miniupnpc nftables curl jq; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    echo "Installing ${need[*]}"
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"; } >"$work/apt.log" 2>&1 \
        || skip "cannot install ${need[*]}: $(tail -n 1 "$work/apt.log")"
fi

echo "== Home network behind a router"
make_ns "$router"
make_ns "$internet"
ip link add h0 netns "$home" type veth peer name r0 netns "$router" || fail "cannot make veth pairs"
ip link add r1 netns "$router" type veth peer name i0 netns "$internet" || fail "cannot make veth pairs"
ip -n "$home" addr add 192.168.77.2/24 dev h0
ip -n "$router" addr add 192.168.77.1/24 dev r0
ip -n "$router" addr add 11.77.0.1/24 dev r1
ip -n "$internet" addr add 11.77.0.2/24 dev i0
for link in "$home h0" "$router r0" "$router r1" "$internet i0"; do
    set -- $link
    ip -n "$1" link set "$2" up
done
ip -n "$home" route add default via 192.168.77.1
ip netns exec "$router" sysctl -qw net.ipv4.ip_forward=1

# What miniupnpd expects to find (Debian's nft_init.sh cannot run): its own
# forward chain and nat chains, jumped to from the router's. Forwarding in is
# refused unless miniupnpd opened it.
ip netns exec "$router" nft -f - <<'NFT' || fail "cannot set up nftables in the router"
table inet filter {
    chain forward {
        type filter hook forward priority 0; policy drop;
        ct state established,related accept
        iifname "r0" accept
        jump miniupnpd
    }
    chain miniupnpd { }
    chain prerouting {
        type nat hook prerouting priority -100; policy accept;
        jump prerouting_miniupnpd
    }
    chain postrouting {
        type nat hook postrouting priority 100; policy accept;
        oifname "r1" masquerade
        jump postrouting_miniupnpd
    }
    chain prerouting_miniupnpd { }
    chain postrouting_miniupnpd { }
}
NFT

cat >"$work/miniupnpd.conf" <<CONF
ext_ifname=r1
ext_ip=11.77.0.1
listening_ip=r0
enable_upnp=yes
enable_natpmp=yes
secure_mode=yes
system_uptime=yes
uuid=3f4c8a52-6b1d-4d0e-9a7e-5c2b1e0d7a11
allow 1024-65535 192.168.77.0/24 1024-65535
deny 0-65535 0.0.0.0/0 0-65535
CONF
ip netns exec "$router" "${clean[@]}" miniupnpd -d -f "$work/miniupnpd.conf" -P "$work/miniupnpd.pid" >"$work/miniupnpd.log" 2>&1 &
wait_for_line "$work/miniupnpd.log" 10 "HTTP listening" || fail "miniupnpd did not start"

mapped_rules() { ip netns exec "$router" nft list chain inet filter prerouting_miniupnpd 2>/dev/null | grep -c 'dport 7772'; }

echo "== The host asks the router for port 7772"
started=$(date +%s%N)
ip netns exec "$home" "${clean[@]}" "$server" --port 7772 --open-port --bot-speed 500 >"$work/host.log" 2>&1 &
host_pid=$!
wait_for_line "$work/host.log" 20 "The router forwards port 7772" || fail "the router did not forward the port"
mapped_ms=$(( ($(date +%s%N) - started) / 1000000 ))
grep -E "router|UPnP|NAT-PMP" "$work/host.log"
echo "port mapping obtained ${mapped_ms} ms after the host started"
[ "$(mapped_rules)" -ge 1 ] || fail "the router has no forwarding rule for port 7772"

echo "== A player on the internet joins the router's outside address and plays a word"
ip netns exec "$internet" "${clean[@]}" "$player" 11.77.0.1 7772 Ann >"$work/player.log" 2>&1 || fail "the joining player did not play a word"
cat "$work/player.log"
grep -q "Seat 1: Ann arrived" "$work/host.log" || fail "the host did not see the player arrive"

echo "== The host ends; the forwarding must go with it"
kill -TERM "$host_pid"
wait "$host_pid" 2>/dev/null
grep -q "The router no longer forwards port 7772" "$work/host.log" || fail "the host did not remove the forwarding"
[ "$(mapped_rules)" -eq 0 ] || fail "the router still forwards port 7772 after the host ended"
echo "the router no longer forwards port 7772"

echo "== A host at home lists its game on a lobby on the internet"
[ -x "$lobby" ] || fail "no lobby program at $lobby"
command -v curl >/dev/null || fail "curl is missing"
command -v jq >/dev/null || fail "jq is missing"
ip netns exec "$internet" "${clean[@]}" "$lobby" --port 7780 --renew-seconds 2 --expire-seconds 6 >"$work/lobby.log" 2>&1 &
lobby_url=http://11.77.0.2:7780
games() { ip netns exec "$internet" curl -sf --max-time 5 "$lobby_url/v1/games"; }
# Prints "ADDRESS PORT" of the listed games, one a line.
listed() { games | jq -r '.games[] | "\(.address) \(.port)"'; }
listed_within() { # seconds, wanted line (empty: the list is empty)
    local deadline=$((SECONDS + $1)) now
    while [ $SECONDS -lt $deadline ]; do
        if now=$(listed); then
            if [ -z "$2" ]; then [ -z "$now" ] && return 0
            else grep -qx -- "$2" <<<"$now" && return 0; fi
        fi
        sleep 0.2
    done
    return 1
}
listed_within 10 "" || fail "the lobby did not start"
ip netns exec "$home" "${clean[@]}" "$server" --port 7775 --open-port --lobby "$lobby_url" --bot-speed 500 >"$work/lobby-host.log" 2>&1 &
host_pid=$!
wait_for_line "$work/lobby-host.log" 20 "Listed on the lobby" || fail "the host was not listed on the lobby"
listed_within 20 "11.77.0.1 7775" || fail "the lobby does not list the game under the router's outside address"
games | jq -c '.games[]'
# The player finds it as the window's internet list does, and joins it.
ip netns exec "$internet" "${clean[@]}" "$player" --lobby "$lobby_url" Bea >"$work/lobby-player.log" 2>&1 \
    || { cat "$work/lobby-player.log"; fail "the player did not play a word in the game the lobby listed"; }
cat "$work/lobby-player.log"
grep -q "the lobby lists the game of .* at 11.77.0.1:7775" "$work/lobby-player.log" \
    || fail "the player's list did not show the game under the router's outside address"
grep -q "Seat 1: Bea arrived" "$work/lobby-host.log" || fail "the host did not see the player from the lobby arrive"
kill -TERM "$host_pid"
wait "$host_pid" 2>/dev/null
listed_within 5 "" || fail "the game is still listed after the host ended"
echo "the game left the lobby's list when the host ended"

if [ -n "${NETLAB_SCREENSHOT:-}" ] && [ -n "${DISPLAY:-}" ]; then
    echo "== The desktop program hosts in home (screenshot)"
    mkdir -p "$work/gui"
    (cd "$work/gui" && exec ip netns exec "$home" "${clean[@]}" GLYPHON_PORT=7774 DISPLAY="$DISPLAY" \
        "$(dirname "$server")/glyphon" Cid 0.0.0.0 true >"$work/gui.log" 2>&1) &
    gui_pid=$!
    for _ in $(seq 100); do
        ip netns exec "$router" nft list chain inet filter prerouting_miniupnpd | grep -q 'dport 7774' && break
        sleep 0.1
    done
    sleep 2
    import -window root "$NETLAB_SCREENSHOT"
    kill -TERM "$gui_pid"
    wait "$gui_pid" 2>/dev/null
fi

echo "== A router with NAT-PMP only"
old_router=$(cat "$work/miniupnpd.pid")
kill -TERM "$old_router" 2>/dev/null
# The new daemon binds the same ports: the old one must be gone first.
for _ in $(seq 100); do kill -0 "$old_router" 2>/dev/null || break; sleep 0.1; done
sed -i 's/^enable_upnp=yes/enable_upnp=no/' "$work/miniupnpd.conf"
ip netns exec "$router" "${clean[@]}" miniupnpd -d -f "$work/miniupnpd.conf" -P "$work/miniupnpd.pid" >"$work/miniupnpd-natpmp.log" 2>&1 &
# A host that asks before the daemon listens gets no answer and gives up.
wait_for_line "$work/miniupnpd-natpmp.log" 10 "NAT-PMP" || fail "miniupnpd (NAT-PMP only) did not start"
started=$(date +%s%N)
ip netns exec "$home" "${clean[@]}" "$server" --port 7773 --open-port >"$work/host-natpmp.log" 2>&1 &
host_pid=$!
wait_for_line "$work/host-natpmp.log" 20 "The router forwards port 7773 (NAT-PMP)" || fail "NAT-PMP did not forward the port"
echo "port mapping through NAT-PMP obtained $(( ($(date +%s%N) - started) / 1000000 )) ms after the host started (after UPnP found nothing)"
ip netns exec "$router" nft list chain inet filter prerouting_miniupnpd | grep -q 'dport 7773' \
    || fail "the router has no forwarding rule for port 7773"
kill -TERM "$host_pid"
wait "$host_pid" 2>/dev/null
ip netns exec "$router" nft list chain inet filter prerouting_miniupnpd | grep -q 'dport 7773' \
    && fail "the router still forwards port 7773 after the host ended"
echo "the router no longer forwards port 7773"

echo "== Two computers on one network find each other's games"
make_ns "$bridge"
make_ns "$lan_a"
make_ns "$lan_b"
ip -n "$bridge" link add br0 type bridge
ip -n "$bridge" link set br0 up
n=2
for ns in "$lan_a" "$lan_b"; do
    ip link add e0 netns "$ns" type veth peer name "p$n" netns "$bridge"
    ip -n "$bridge" link set "p$n" master br0
    ip -n "$bridge" link set "p$n" up
    ip -n "$ns" addr add "10.88.0.$n/24" brd 10.88.0.255 dev e0
    ip -n "$ns" link set e0 up
    n=$((n + 1))
done
ip netns exec "$lan_a" "${clean[@]}" "$server" --port 7772 >"$work/lan-a-host.log" 2>&1 &
ip netns exec "$lan_b" "${clean[@]}" "$server" --port 7772 >"$work/lan-b-host.log" 2>&1 &
ip netns exec "$lan_a" "${clean[@]}" "$player" --find 10.88.0.3 >"$work/lan-a-find.log" 2>&1 & find_a=$!
ip netns exec "$lan_b" "${clean[@]}" "$player" --find 10.88.0.2 >"$work/lan-b-find.log" 2>&1 & find_b=$!
wait "$find_a" || fail "lan-a did not find the game of lan-b"
wait "$find_b" || fail "lan-b did not find the game of lan-a"
cat "$work/lan-a-find.log" "$work/lan-b-find.log"
echo "network lab: all checks passed"
