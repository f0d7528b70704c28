#!/usr/bin/env bash
# Builds the Debian package build/package/tarnwell_<version>_<arch>.deb: a
# Release build of the programs without the tests, in build/package/ so that
# the tests' build in build/ is left alone, packed by CPack.
set -euo pipefail
cd "$(dirname "$0")/.."

# The build's own needs, and what packing and checking the package take.
scripts/setup.sh dpkg-dev file lintian desktop-file-utils appstream groff-base \
    openbox wmctrl xdotool x11-utils

# Debian's hardening flags, every one of them (bindnow too).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DTARNWELL_BUILD_TESTS=OFF -DTARNWELL_WARNINGS_AS_ERRORS=ON \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build/package -j"$(nproc)"
(cd build/package && cpack -G DEB)
ls build/package/tarnwell_*.deb
