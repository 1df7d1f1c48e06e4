#!/usr/bin/env bash
# Builds the benchmarks in a Release folder of their own (build-bench/) and runs all of them,
# printing the figures: core loading, texture and editing benchmarks with their ratios to the
# reference loops, the peak memory of a load, and (when the render library is built) the
# drawing benchmark on a private Xvfb server. The last line sums the run up in one comparable
# form:
#   SUMMARY parse_vs_memcpy=<x> heap_vs_file=<x> heap_peak_vs_file=<x> frame_vs_reference=<x>
#           frame_demo_vs_reference=<x> startup_large_ms=<n> startup_demo_ms=<n>
#           drag_large_fps=<n> scan_vs_cat=<x> patch_vs_copy=<x> gltf_export_ms=<n>
#           gltf_export_peak_vs_glb=<x> gltf_import_ms=<n> gltf_import_peak_vs_glb=<x>
# Usage: scripts/bench.sh [--quick]
#   --quick  shorter runs (less stable figures), for trying the script out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
min_time=0.5
draw_args=()
if [ "${1:-}" = "--quick" ]; then
    min_time=0.05
    draw_args=(--quick)
fi

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELDRAXIS_BENCH=ON >/dev/null
targets=(veldraxis_core_bench veldraxis_load_memory veldraxis_write_bench_archive
         veldraxis_model_import_bench veldraxis_scan_bench veldraxis_disc_patch_bench)
has_draw=0
build_targets=$(cmake --build "$build" --target help)
if grep -q veldraxis_draw_bench <<<"$build_targets"; then
    targets+=(veldraxis_draw_bench)
    has_draw=1
fi
has_viewer=0
if grep -q veldraxis-viewer <<<"$build_targets"; then
    targets+=(veldraxis-viewer veldraxis_swap_log make-demo-archive make-disc-content make-test-disc)
    has_viewer=1
fi
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null

log=$(mktemp)
trap 'rm -f "$log"' EXIT
run_all() {
echo "== Machine"
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "nproc: $(nproc)"
echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"

data="$build/bench-data"
mkdir -p "$data"
"$build/bench/veldraxis_write_bench_archive" "$data/large.bin"

echo
echo "== Core: loading, textures, editing (Google Benchmark, min time ${min_time}s)"
"$build/bench/veldraxis_core_bench" --benchmark_color=false --benchmark_min_time="$min_time"

echo
echo "== Loading again with a warm heap (freed pages stay mapped: the parse without page faults)"
"$build/bench/veldraxis_core_bench" --warm-heap --benchmark_color=false \
    --benchmark_min_time="$min_time" --benchmark_filter='Memcpy|ParseSkeleton(Large|Demo)'

echo
echo "== Loading with transparent huge pages for the heap (GLIBC_TUNABLES=glibc.malloc.hugetlb=1)"
GLIBC_TUNABLES=glibc.malloc.hugetlb=1 "$build/bench/veldraxis_core_bench" --benchmark_color=false \
    --benchmark_min_time="$min_time" --benchmark_filter='Memcpy|ParseSkeleton(Large|Demo)'

echo
echo "== Peak memory of one load (a process of its own)"
"$build/bench/veldraxis_load_memory" "$data/large.bin" 2>&1
echo "-- the same with transparent huge pages for the heap"
GLIBC_TUNABLES=glibc.malloc.hugetlb=1 "$build/bench/veldraxis_load_memory" "$data/large.bin" 2>&1

echo
echo "== Export, then --import-model's work on the file (a process of its own each)"
"$build/bench/veldraxis_model_import_bench" --demo
"$build/bench/veldraxis_model_import_bench" "$data/large.bin"

echo
echo "== The container scan of a 700 MB file, next to reading it front to back"
"$build/bench/veldraxis_scan_bench" "$data/scan.bin"

echo
echo "== Patching one member of a 750 MB raw disc image, against cp IMAGE OUT; sync OUT"
mkdir -p "$data/disc"
"$build/bench/veldraxis_disc_patch_bench" "$data/disc"

if [ "$has_viewer" = 1 ]; then
    echo
    echo "== glTF out and back: --export and --import-model of the large archive (peak resident set)"
    "$root/bench/gltf_round_trip.sh" "$build/veldraxis-viewer" "$data/large.bin" "$data"
fi

if [ "$has_viewer" = 1 ]; then
    echo
    echo "== The disc modes on a 700 MB raw image: --scan against cat, --patch-image against cp and sync"
    "$root/bench/disc_modes_bench.sh" "$build" "$data"
fi

if [ "$has_draw" = 1 ]; then
    echo
    echo "== Drawing the demo model (Xvfb, Mesa)"
    "$root/scripts/with-xvfb.sh" "$build/bench/veldraxis_draw_bench" "${draw_args[@]}" --demo
    echo
    echo "== Drawing the large archive (Xvfb, Mesa)"
    "$root/scripts/with-xvfb.sh" "$build/bench/veldraxis_draw_bench" "${draw_args[@]}" \
        "$data/large.bin"
else
    echo
    echo "== Drawing: skipped, the render library is not built yet"
fi

if [ "$has_viewer" = 1 ]; then
    echo
    echo "== The real viewer's start-up (Xvfb, Mesa; parts start hidden, so no polygons are drawn)"
    for archive in "" "$data/large.bin"; do
        "$root/scripts/with-xvfb.sh" "$root/bench/real_viewer_startup.sh" \
            "$build/veldraxis-viewer" "$build/bench/libveldraxis_swap_log.so" $archive
    done
    echo
    echo "== Pictures without a display: turntables next to single runs, a batch of 100"
    "$build/tools/demo_model/make-demo-archive" --write "$data/demo.bin" >/dev/null
    python3 "$root/bench/picture_times.py" "$build/veldraxis-viewer" "$data/demo.bin" \
        "$data/large.bin"
fi
}
run_all 2>&1 | tee "$log"

# One figure of the run's output: the first or last line matching a pattern, through a sed
# expression that keeps the number ("n/a" when missing).
figure() {
    local which=$1 pattern=$2 expression=$3 line
    line=$(grep -E "$pattern" "$log" | { if [ "$which" = first ]; then head -n 1; else tail -n 1; fi; }) || true
    line=$(sed -nE "s/$expression/\1/p" <<<"$line")
    echo "${line:-n/a}"
}
round() { if [ "$1" = n/a ]; then echo n/a; else printf '%.0f' "$1"; fi; }
number='([0-9]+(\.[0-9]+)?)'
# The cold-heap parse (as at start-up); the large archive's frame and drag (run after the demo's).
parse=$(figure first '^skeleton load\(large\) / memcpy\(large\)' "^[^0-9]+ +$number x.*")
heap=$(figure first 'heap kept after load' ".*= *$number x file size.*")
heap_peak=$(figure first 'heap peak during load' ".*= *$number x file size.*")
frame=$(figure last 'drawFrame / faster reference, worst window' ".*window: $number""x.*")
frame_demo=$(figure first 'drawFrame / faster reference, worst window' ".*window: $number""x.*")
startup_large=$(figure last 'real viewer .*large.bin: first complete frame' ".* $number ms after.*")
startup_demo=$(figure last 'real viewer \(demo model\): first complete frame' ".* $number ms after.*")
drag=$(figure last 'selected bone id 1:' ".*= $number motions.*")
scan_vs_cat=$(figure last '^--scan / cat:' "^[^0-9]+$number x.*")
patch_vs_copy=$(figure last '^--patch-image / copy:' "^[^0-9]+$number x.*")
gltf_export_ms=$(figure first '^glTF --export:' ".* $number ms wall.*")
gltf_export_peak=$(figure first '^glTF --export:' ".*= $number x the \.glb.*")
gltf_import_ms=$(figure first '^glTF --import-model:' ".* $number ms wall.*")
gltf_import_peak=$(figure first '^glTF --import-model:' ".*= $number x the \.glb.*")
echo
echo "SUMMARY parse_vs_memcpy=$parse heap_vs_file=$heap heap_peak_vs_file=$heap_peak" \
    "frame_vs_reference=$frame frame_demo_vs_reference=$frame_demo" \
    "startup_large_ms=$(round "$startup_large") startup_demo_ms=$(round "$startup_demo")" \
    "drag_large_fps=$drag scan_vs_cat=$scan_vs_cat patch_vs_copy=$patch_vs_copy" \
    "gltf_export_ms=$(round "$gltf_export_ms") gltf_export_peak_vs_glb=$gltf_export_peak" \
    "gltf_import_ms=$(round "$gltf_import_ms") gltf_import_peak_vs_glb=$gltf_import_peak"
