#!/usr/bin/env bash
# Installs a built package into a clean Debian 12 root and uses it as an
# ordinary user would: both programs answer --version, the window starts
# under Xvfb and keeps its settings and tally in the user's folders, and the
# dedicated host plays a game as an unprivileged user whose only writable
# place is its working directory. Needs root (debootstrap, chroot).
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
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$deb")" xvfb xauth >/dev/null
echo "== installed: $(in_root dpkg-query -W -f='${Package} ${Version}' glyphon)"

id_exists() { in_root id -u "$1" >/dev/null 2>&1; }
id_exists player || in_root useradd -m -s /bin/bash player
as_player() { chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/home/player USER=player \
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
chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin /usr/sbin/runuser -u glyphonsvc -- \
    bash -c 'cd /var/lib/glyphon-server && glyphon-server --no-announce --port 18994 --start-game 100,30 --tick-ms 2 --seed 7 --quit-after-game | tail -n 2'
left=$(ls -A "$root/var/lib/glyphon-server")
[ -z "$left" ] || { echo "FAIL: the host left files behind: $left" >&2; exit 1; }

echo "== service unit"
systemd-analyze security --offline=true "$root/usr/lib/systemd/system/glyphon-server.service" | tail -n 1
echo "check_package.sh: all checks passed"
