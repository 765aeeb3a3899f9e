#!/usr/bin/env bash
# Installs the Debian packages Glyphon needs to build, run and test, if any is missing.
set -euo pipefail
packages=(build-essential cmake pkg-config qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins
          libminiupnpc-dev libnatpmp-dev libmicrohttpd-dev libhiredis-dev redis-server
          libbenchmark-dev xvfb xdotool imagemagick
          clang-14 libclang-rt-14-dev libfuzzer-14-dev)
# Callers may name more, e.g. the packaging tools.
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
