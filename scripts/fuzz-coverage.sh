#!/usr/bin/env bash
# Line and branch coverage that the fuzz corpora reach in the loaders: builds the fuzz targets with
# llvm-cov instrumentation (build-fuzz-cov/), runs each once over its committed seeds and the
# inputs fuzzing collected (build-fuzz/corpus/<target>), and prints llvm-cov's report per target.
# Usage: scripts/fuzz-coverage.sh [TARGET...]   (the targets of fuzz/targets.txt by default)
set -euo pipefail
cd "$(dirname "$0")/.."

targets=("$@")
[ ${#targets[@]} -eq 0 ] && mapfile -t targets < fuzz/targets.txt

CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz-cov -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELDRAXIS_FUZZ=ON -DVELDRAXIS_FUZZ_COVERAGE=ON -DVELDRAXIS_CORE_ONLY=ON \
    -DVELDRAXIS_BENCH=OFF >/dev/null
cmake --build build-fuzz-cov -j2 --target "${targets[@]/#/fuzz_}" >/dev/null

for target in "${targets[@]}"; do
    binary=build-fuzz-cov/fuzz/fuzz_$target
    profile=build-fuzz-cov/$target
    inputs=("fuzz/corpus/$target")
    [ -d "build-fuzz/corpus/$target" ] && inputs+=("build-fuzz/corpus/$target")
    LLVM_PROFILE_FILE="$profile.profraw" "$binary" -runs=0 "${inputs[@]}" >/dev/null 2>&1
    llvm-profdata-14 merge -sparse "$profile.profraw" -o "$profile.profdata"
    echo "== $target"
    llvm-cov-14 report "$binary" -instr-profile="$profile.profdata" \
        src/model src/texture | sed -n '1,2p;/\(mesh_parser\|skeleton_loader\|pose_file\|tim_decoder\|archive_scan\)/p;$p'
done
