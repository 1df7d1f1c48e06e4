#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build (unit, GL and end-to-end
# tests, on Xvfb when there is no display) and the unit tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"

# The export checks run the Khronos glTF Validator, a pinned npm package kept in the build folder.
scripts/install-gltf-validator.sh build/gltf-validator

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELDRAXIS_SANITIZE=ON -DVELDRAXIS_CORE_ONLY=ON \
    >/dev/null
cmake --build build-asan -j"$jobs"

run_ctest() {
    ctest --test-dir build --output-on-failure -j"$jobs"
}
if [ -z "${DISPLAY:-}" ]; then
    scripts/with-xvfb.sh bash -c "$(declare -f run_ctest); jobs=$jobs; run_ctest"
else
    run_ctest
fi

echo "== Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -L unit

# CI also fuzzes each untrusted input for a minute (scripts/fuzz.sh; clang build in build-fuzz).
if [ "${CI:-}" = "true" ]; then
    echo "== Fuzzing each target for 60 s"
    scripts/fuzz.sh 60
fi
