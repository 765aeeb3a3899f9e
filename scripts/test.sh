#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then builds the suite
# once more with AddressSanitizer and UndefinedBehaviorSanitizer (build-san)
# and runs it, and fuzzes every target for GLYPHON_FUZZ_SECONDS (default 20).
# GLYPHON_SANITIZERS=0 stops after the plain run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
build="${GLYPHON_BUILD_DIR:-build}"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")

[ "${GLYPHON_SANITIZERS:-1}" = 0 ] && exit 0
san="${GLYPHON_SAN_BUILD_DIR:-build-san}"
scripts/configure-san.sh "$san"
nice -n 10 cmake --build "$san" -j"$(nproc)"
(
    source scripts/sanitize.env
    cd "$san" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
)
GLYPHON_SAN_BUILD_DIR="$san" scripts/fuzz.sh "${GLYPHON_FUZZ_SECONDS:-20}"
