#!/usr/bin/env bash
# Installs what is missing, builds, and starts a solo game against Rizi.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
build="${GLYPHON_BUILD_DIR:-build}"
if [ -x "$build/src/app/glyphon" ]; then
    exec "$build/src/app/glyphon" "$@"
fi
exec "$build/src/app/glyphon-server" --start-game 200,60 "$@"
