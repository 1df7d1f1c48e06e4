#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/) and fuzzes each for SECONDS, one after the
# other. Fails on any finding; the input that caused it is saved in fuzz/regressions/<target>/,
# where the replay test (tests/hostile) picks it up once the fault is fixed.
# Usage: scripts/fuzz.sh SECONDS [TARGET...]   (the targets of fuzz/targets.txt, all by default).
# New inputs go to build-fuzz/corpus/, never into the repository.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && mapfile -t targets < fuzz/targets.txt
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELDRAXIS_FUZZ=ON -DVELDRAXIS_CORE_ONLY=ON -DVELDRAXIS_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target "${targets[@]/#/fuzz_}"

mkdir -p build-fuzz/logs
failed=()
for target in "${targets[@]}"; do
    work=build-fuzz/corpus/$target
    regressions=fuzz/regressions/$target
    mkdir -p "$work" "$regressions"
    dict=()
    [ -f "fuzz/dictionaries/$target.dict" ] && dict=(-dict="fuzz/dictionaries/$target.dict")
    log=build-fuzz/logs/$target.log
    echo "== Fuzzing $target for $seconds s (log: $log)"
    status=0
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "build-fuzz/fuzz/fuzz_$target" "$work" "fuzz/corpus/$target" "${dict[@]}" \
        -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=256 -timeout=10 \
        -print_final_stats=1 \
        -artifact_prefix="$regressions/" >"$log" 2>&1 || status=$?
    # The last status line carries the coverage (cov: edges, ft: features) and the corpus size.
    grep -E '^#[0-9]+[[:space:]]' "$log" | tail -1 || true
    grep -E '^Done [0-9]+ runs|stat::number_of_executed_units' "$log" || true
    if [ "$status" -ne 0 ]; then
        echo "fuzz: $target found a fault (exit $status); input saved in $regressions/:"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|fuzz entry:|.*runtime error)' "$log" | head -5 || true
        ls -t "$regressions" | grep -v '^\.' | head -3
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz: findings in ${failed[*]}"
    exit 1
fi
echo "fuzz: no findings"
