#!/usr/bin/env bash
# Installs what is missing, builds a release and makes the Debian package
# build/glyphon_<version>_amd64.deb; checks its desktop entry and metadata.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh dpkg-dev appstream desktop-file-utils
build="${GLYPHON_BUILD_DIR:-build}"
release="$build/package"
cmake -S . -B "$release" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DGLYPHON_BUILD_TESTS=OFF >/dev/null
cmake --build "$release" -j"$(nproc)"

desktop-file-validate resources/glyphon.desktop
appstreamcli validate --no-net --pedantic resources/packaging/org.example.glyphon.metainfo.xml

(cd "$release" && cpack -G DEB >/dev/null)
deb=$(ls "$release"/glyphon_*_amd64.deb)
cp "$deb" "$build/"
deb="$build/$(basename "$deb")"
echo "Made $deb ($(du -h "$deb" | cut -f1))"
dpkg-deb -f "$deb" Depends Recommends
