#!/usr/bin/env bash
# Configures the sanitizer build (clang, ASan and UBSan, with the fuzz
# targets) into the folder given, default build-san. The suite and the fuzz
# targets share it, so CI compiles the sanitized code once.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-san}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 \
    -DGLYPHON_FUZZ=ON >/dev/null
