#!/usr/bin/env bash
# Draws the tile sets that ship (resources/glyphontiles/*.bmp) again. Needs a
# configured build folder; the drawing program is built only on demand.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${GLYPHON_BUILD_DIR:-build}"
cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target make_tilesets
QT_QPA_PLATFORM=offscreen "$build/src/artwork/make_tilesets" resources/glyphontiles
