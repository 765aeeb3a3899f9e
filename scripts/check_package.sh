#!/usr/bin/env bash
# Installs a built package into a clean Debian 12 root and uses it as an
# ordinary user would: both programs answer --version, the window starts
# under Xvfb and keeps its settings and tally in the user's folders, the
# dedicated host plays a game as an unprivileged user whose only writable
# place is its working directory, and two hosts of the template unit play a
# game each, side by side on two ports. systemd is not running in the root:
# the units are checked with systemd-analyze, and their command lines are
# started as systemd would start them. Needs root (debootstrap, chroot,
# a network namespace of its own for the two hosts).
#   scripts/check_package.sh build/glyphon_1.0.2_amd64.deb [root folder]
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "${1:?usage: scripts/check_package.sh PACKAGE.deb [ROOT]}")
root=$(realpath -m "${2:-build/deb12-root}")
[ "$(id -u)" -eq 0 ] || { echo "check_package.sh: needs root for debootstrap and chroot" >&2; exit 2; }

if [ ! -x "$root/usr/bin/apt-get" ]; then
    scripts/setup.sh debootstrap
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
fi
cleanup() {
    for m in dev/pts dev sys proc; do umount -l "$root/$m" 2>/dev/null || true; done
}
trap cleanup EXIT
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
cp /etc/resolv.conf "$root/etc/resolv.conf"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }

cp "$deb" "$root/tmp/"
in_root apt-get update -qq
# --reinstall: a root used before may hold an older build of the same version.
in_root env DEBIAN_FRONTEND=noninteractive apt-get install --reinstall -y -qq "/tmp/$(basename "$deb")" \
    xvfb xauth systemd man-db >/dev/null
echo "== installed: $(in_root dpkg-query -W -f='${Package} ${Version}' glyphon)"

id_exists() { in_root id -u "$1" >/dev/null 2>&1; }
id_exists player || in_root useradd -m -s /bin/bash player
# A user's path as Debian's login sets it, /usr/games included.
user_path=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
as_player() { chroot "$root" /usr/bin/env -i PATH=$user_path HOME=/home/player USER=player \
              /usr/sbin/runuser -u player -- "$@"; }

echo "== --version"
as_player glyphon --version
as_player glyphon-server --version

echo "== solo window as an ordinary user"
as_player bash -c '
    set -euo pipefail
    cd ~
    # A first run, also when the root is used again.
    rm -rf ~/.config/Glyphon ~/.local/share/Glyphon
    Xvfb :93 -screen 0 1024x768x24 >/dev/null 2>&1 & xvfb=$!
    sleep 2
    DISPLAY=:93 QT_QPA_PLATFORM=xcb GLYPHON_PORT=18993 glyphon >glyphon.log 2>&1 & game=$!
    for i in $(seq 1 60); do [ -f ~/.config/Glyphon/marnetlobby.ini ] && break; sleep 0.5; done
    sleep 1
    kill -TERM $game; wait $game || true
    kill $xvfb; wait $xvfb 2>/dev/null || true
    echo "settings file:"; ls -l ~/.config/Glyphon/marnetlobby.ini
    sed -n "1,40p" ~/.config/Glyphon/marnetlobby.ini
    ls -l ~/.local/share/Glyphon/ 2>/dev/null || true
    if [ -s glyphon.log ]; then echo "program output:"; cat glyphon.log; fi
'
if find "$root/usr" -newer "$root/tmp/$(basename "$deb")" -name 'marnetlobby.ini' -o -newer "$root/tmp/$(basename "$deb")" -name 'Glyphontally.tld' | grep -q .; then
    echo "FAIL: a user file was written beside the program" >&2; exit 1
fi

echo "== dedicated host as an unprivileged user with only its working directory writable"
id_exists glyphonsvc || in_root useradd --system --no-create-home --shell /usr/sbin/nologin glyphonsvc
mkdir -p "$root/var/lib/glyphon-server"
in_root chown glyphonsvc: /var/lib/glyphon-server
in_root chmod 700 /var/lib/glyphon-server
chroot "$root" /usr/bin/env -i PATH=$user_path /usr/sbin/runuser -u glyphonsvc -- \
    bash -c 'cd /var/lib/glyphon-server && glyphon-server --no-announce --port 18994 --start-game 100,30 --tick-ms 2 --seed 7 --quit-after-game | tail -n 2'
left=$(ls -A "$root/var/lib/glyphon-server")
[ -z "$left" ] || { echo "FAIL: the host left files behind: $left" >&2; exit 1; }

echo "== programs where the menu entry, the manual pages and the units look for them"
for program in glyphon glyphon-server; do
    [ -x "$root/usr/games/$program" ] || { echo "FAIL: no /usr/games/$program" >&2; exit 1; }
done
grep -qx 'Exec=/usr/games/glyphon %u' "$root/usr/share/applications/glyphon.desktop" \
    || { echo "FAIL: the menu entry does not start /usr/games/glyphon" >&2; exit 1; }
for page in glyphon glyphon-server; do
    in_root env MANWIDTH=200 man -P cat 6 "$page" 2>/dev/null | grep -q "/usr/games/$page" \
        || { echo "FAIL: man 6 $page does not name /usr/games/$page" >&2; exit 1; }
done
in_root env MANWIDTH=200 man -P cat 6 glyphon-server 2>/dev/null | grep -q 'glyphon-server@7773' \
    || { echo "FAIL: man 6 glyphon-server does not show the template unit" >&2; exit 1; }
echo "ok"

echo "== service units"
units="$root/usr/lib/systemd/system"
# Any remark (an unknown key, a missing program or manual page) is a failure.
if ! remarks=$(in_root systemd-analyze verify /usr/lib/systemd/system/glyphon-server.service \
                   /usr/lib/systemd/system/glyphon-server@7773.service \
                   /usr/lib/systemd/system/glyphon-lobby.service 2>&1) || [ -n "$remarks" ]; then
    echo "FAIL: systemd-analyze verify: $remarks" >&2; exit 1
fi
echo "systemd-analyze verify: no remarks"
# The template confines its hosts as the single unit does: their service
# settings differ only where one host per port must.
per_host='^(#|$|Description=|EnvironmentFile=|ExecStart=|StateDirectory=|WorkingDirectory=)'
if ! diff <(grep -Ev "$per_host" "$units/glyphon-server.service") \
          <(grep -Ev "$per_host" "$units/glyphon-server@.service"); then
    echo "FAIL: glyphon-server@.service is not confined as glyphon-server.service is" >&2; exit 1
fi
for unit in glyphon-server.service glyphon-server@7773.service glyphon-lobby.service; do
    echo "$unit: $(in_root systemd-analyze security --offline=true "$unit" | tail -n 1)"
done

echo "== two hosts of glyphon-server@.service side by side, started as systemd would"
# Prints a setting of the unit (each line of it), the instance put for %i.
unit_setting() { sed -n "s/^$2=//p" "$units/$1" | sed "s/%i/$3/g"; }
# The shell command that does what systemd does for INSTANCE of UNIT (default
# the template): reads the environment files (a leading "-": it may be
# missing), sets the umask, enters the working directory if it has one and
# runs the command line, whose unbraced $VARIABLE splits into words, as in systemd.
unit_command() {
    local instance=$1 unit=${2:-glyphon-server@.service} script="set -a" file directory
    while read -r file; do
        if [[ $file == -* ]]; then script+="; [ ! -r ${file#-} ] || . ${file#-}"; else script+="; . $file"; fi
    done < <(unit_setting "$unit" EnvironmentFile "$instance")
    script+="; set +a; umask $(unit_setting "$unit" UMask "$instance")"
    directory=$(unit_setting "$unit" WorkingDirectory "$instance")
    script+="; cd ${directory:-/}"
    script+=" && exec $(unit_setting "$unit" ExecStart "$instance")"
    printf '%s\n' "$script"
}
netns=glyphon-check-$$
ip netns add "$netns"
ip -n "$netns" link set lo up
trap 'ip netns del "$netns" 2>/dev/null || true; cleanup' EXIT
ports=(7773 7774)
pids=()
for port in "${ports[@]}"; do
    # DynamicUser: a user of its own and its state directory, 0700.
    user=glyphon-server-$port
    id_exists "$user" || in_root useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
    state=/var/lib/$(unit_setting glyphon-server@.service StateDirectory "$port")
    mkdir -p "$root$state"
    in_root chown "$user:" "$state"
    in_root chmod 700 "$state"
    # This host's own options: a game between two computer players that
    # starts at once and ends the host.
    echo "GLYPHON_SERVER_OPTIONS=\"--start-game 100,30 --tick-ms 20 --seed $port --quit-after-game\"" \
        >"$root/etc/default/glyphon-server@$port"
    command=$(unit_command "$port")
    echo "glyphon-server@$port as $user: $command"
    timeout 300 ip netns exec "$netns" chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin \
        /usr/sbin/runuser -u "$user" -- bash -c "$command" >"$root/tmp/glyphon-server@$port.log" 2>&1 &
    pids+=($!)
done
for port in "${ports[@]}"; do
    for i in $(seq 1 100); do
        grep -q "listening on port $port\$" "$root/tmp/glyphon-server@$port.log" && break
        sleep 0.2
    done
done
echo "listening at the same time:"
ip netns exec "$netns" ss -Hltnp | sed 's/  */ /g'
for port in "${ports[@]}"; do
    pid=$(ip netns exec "$netns" ss -Hltnp "sport = :$port" | grep -o 'pid=[0-9]*' | head -n 1 | cut -d= -f2)
    [ -n "$pid" ] || { echo "FAIL: nothing listens on port $port" >&2; cat "$root/tmp/glyphon-server@$port.log" >&2; exit 1; }
    uid=$(awk '/^Uid:/ { print $2 }' "/proc/$pid/status")
    echo "port $port: pid $pid, user $(in_root getent passwd "$uid" | cut -d: -f1)," \
         "working directory $(readlink "/proc/$pid/cwd" | sed "s|^$root||")"
done
status=0
for i in "${!ports[@]}"; do
    port=${ports[$i]}
    wait "${pids[$i]}" || { echo "FAIL: glyphon-server@$port ended with status $?" >&2; status=1; }
    echo "glyphon-server@$port:"
    sed -n '1p;$p' "$root/tmp/glyphon-server@$port.log" | sed 's/^/    /'
    grep -q '^Winner: ' "$root/tmp/glyphon-server@$port.log" || { echo "FAIL: no winner on port $port" >&2; status=1; }
    state=/var/lib/glyphon-server-$port
    left=$(ls -A "$root$state")
    [ -z "$left" ] || { echo "FAIL: glyphon-server@$port left files behind: $left" >&2; status=1; }
    rm -f "$root/etc/default/glyphon-server@$port" "$root/tmp/glyphon-server@$port.log"
done
[ "$status" -eq 0 ] || exit 1

echo "== glyphon-lobby.service with its shipped options, started as systemd would"
user=glyphon-lobby
id_exists "$user" || in_root useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
command=$(unit_command "" glyphon-lobby.service)
echo "glyphon-lobby as $user: $command"
ip netns exec "$netns" chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin \
    /usr/sbin/runuser -u "$user" -- bash -c "$command" >"$root/tmp/glyphon-lobby.log" 2>&1 &
lobby_pid=$!
answer=
for i in $(seq 1 50); do
    answer=$(ip netns exec "$netns" bash -c 'exec 3<>/dev/tcp/127.0.0.1/7780 &&
        printf "GET /v1/games HTTP/1.0\r\n\r\n" >&3 && cat <&3' 2>/dev/null) && break
    sleep 0.2
done
# The lobby itself, not the runuser in front of it.
lobby=$(ip netns exec "$netns" ss -Hltnp "sport = :7780" | grep -o 'pid=[0-9]*' | head -n 1 | cut -d= -f2)
[ -z "$lobby" ] || kill "$lobby" 2>/dev/null
wait "$lobby_pid" 2>/dev/null || true
printf '%s\n' "$answer" | head -n 1
printf '%s\n' "$answer" | grep -q '{"games":\[\]}' \
    || { echo "FAIL: glyphon-lobby did not list an empty lobby on port 7780" >&2; cat "$root/tmp/glyphon-lobby.log" >&2; exit 1; }
rm -f "$root/tmp/glyphon-lobby.log"

echo "== removal and purge"
in_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq glyphon >/dev/null
[ -f "$root/etc/default/glyphon-server" ] || { echo "FAIL: removal took the options file" >&2; exit 1; }
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq glyphon >/dev/null
for gone in /usr/games/glyphon-server /usr/games/glyphon-lobby /etc/default/glyphon-server /etc/default/glyphon-lobby \
           /var/lib/glyphon-server-7773; do
    [ ! -e "$root$gone" ] || { echo "FAIL: $gone is left after the purge" >&2; exit 1; }
done
echo "ok"
echo "check_package.sh: all checks passed"
