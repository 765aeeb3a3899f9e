#!/usr/bin/env bash
# Installs what is missing, builds a release and makes the Debian package
# build/glyphon_<version>_amd64.deb with its debug symbols beside it
# (glyphon-dbgsym_<version>_amd64.ddeb); checks the desktop entry, the
# metadata and the unit files, and fails when lintian finds an error.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh dpkg-dev appstream desktop-file-utils lintian
build="${GLYPHON_BUILD_DIR:-build}"
release="$build/package"
# Debian's own compiler and linker flags, hardening included; given on every
# run, as a build folder made before would keep the flags it first saw.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
      -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
      -DGLYPHON_BUILD_TESTS=OFF >/dev/null
cmake --build "$release" -j"$(nproc)"

desktop-file-validate "$release/glyphon.desktop"
appstreamcli validate --no-net --pedantic resources/packaging/org.example.glyphon.metainfo.xml

rm -f "$release"/glyphon*.deb "$release"/glyphon*.ddeb
(cd "$release" && cpack -G DEB >/dev/null)
deb=$(ls "$release"/glyphon_*_amd64.deb)
ddeb=$(ls "$release"/glyphon-dbgsym_*_amd64.ddeb)
cp "$deb" "$build/"
deb="$build/$(basename "$deb")"

# CPack's debug symbol package lists its files by their paths in the build
# folder and has no documentation; it is packed again as Debian's own are:
# files listed relative to the root, not executable, and the documentation
# folder a link to the main package's.
dbg=$(mktemp -d)
trap 'rm -rf "$dbg"' EXIT
dpkg-deb -R "$ddeb" "$dbg/root"
find "$dbg/root/usr" -type f -exec chmod 0644 {} +
mkdir -p "$dbg/root/usr/share/doc"
ln -s glyphon "$dbg/root/usr/share/doc/glyphon-dbgsym"
(cd "$dbg/root" && find usr -type f | LC_ALL=C sort | xargs md5sum >DEBIAN/md5sums)
ddeb="$build/$(basename "$ddeb")"
dpkg-deb --root-owner-group -Zxz --build "$dbg/root" "$ddeb" >/dev/null
echo "Made $deb ($(du -h "$deb" | cut -f1)) and $ddeb ($(du -h "$ddeb" | cut -f1))"
dpkg-deb -f "$deb" Depends Recommends

# A fresh machine builds as root, which lintian advises against; that note is
# dropped, everything else it says is shown.
echo "== lintian"
lintian --fail-on error --display-info "$deb" "$ddeb" 2> >(grep -v 'running with root privileges' >&2)
echo "lintian: no errors"
