#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build (unit, GL and end-to-end
# tests, on Xvfb when there is no display), then a second build of the whole viewer under
# AddressSanitizer and UndefinedBehaviorSanitizer that runs the same tests again.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
jobs=$(nproc)
# Object files are cached by content, whichever folder the tree is checked out in.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"

# The export checks run the Khronos glTF Validator, a pinned npm package kept in the build folder.
scripts/install-gltf-validator.sh build/gltf-validator

# The sanitizer build carries everything the tests run, and no benchmarks.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELDRAXIS_SANITIZE=ON \
    -DVELDRAXIS_CORE_ONLY=OFF -DVELDRAXIS_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"

# Runs ctest with the given arguments, on an Xvfb of its own when there is no display.
run_ctest() {
    if [ -z "${DISPLAY:-}" ]; then
        scripts/with-xvfb.sh ctest "$@"
    else
        ctest "$@"
    fi
}

run_ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -L unit

echo "== End-to-end tests under AddressSanitizer and UndefinedBehaviorSanitizer"
# Leak detection is off here: Mesa and the X libraries keep memory until the process exits, so
# every GL program would report it. Any other report still stops the program with an error.
# verify_asan_link_order=0 lets a viewer started through stdbuf (which preloads its own library)
# run at all. The largest archives (e2e_hostile_size) stay with the normal build: instrumented, a
# frame of the 100,000-bone chain takes seconds of CPU and times out on a shared machine; the
# sanitized hostile unit tests load the same archives.
ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:abort_on_error=1:strict_string_checks=1:verify_asan_link_order=0 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 VELDRAXIS_E2E_PATIENCE=3 \
    run_ctest --test-dir build-asan --output-on-failure -j"$jobs" -L 'gl|e2e' -E e2e_hostile_size

# CI also fuzzes each untrusted input for a minute (scripts/fuzz.sh; clang build in build-fuzz).
if [ "${CI:-}" = "true" ]; then
    echo "== Fuzzing each target for 60 s"
    scripts/fuzz.sh 60
fi
