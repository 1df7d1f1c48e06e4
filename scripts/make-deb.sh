#!/usr/bin/env bash
# Builds the Debian package BUILD/veldraxis-viewer_<version>_<arch>.deb (BUILD: build-deb unless
# given) and prints its path: a build without tests or benchmarks (neither GoogleTest nor Google
# Benchmark is needed), compiled with Debian's hardening flags and packaged by CPack, which
# computes the dependencies with dpkg-shlibdeps.
#   scripts/make-deb.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_TESTING=OFF -DVELDRAXIS_BENCH=OFF -DVELDRAXIS_DEBIAN_DOCS=ON \
    -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
rm -f "$build"/veldraxis-viewer_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/veldraxis-viewer_*.deb
