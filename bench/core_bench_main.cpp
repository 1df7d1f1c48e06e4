// The core benchmarks (loading, textures, editing). The loaders' console lines are discarded
// while they run; the report, and the ratios to the reference loops after it, go to standard
// output.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstring>
#include <iostream>

#include "bench_data.h"
#include "console/console.h"
#include "ratio_reporter.h"

namespace {

// --warm-heap keeps freed memory in the process (no return to the system, no fresh mappings
// for large blocks), so that repeated loads reuse pages that are already mapped: the load's
// cost without the kernel's first-touch page faults, which a real start-up cannot avoid.
bool takeWarmHeapFlag(int& argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--warm-heap") == 0) {
            for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
            --argc;
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool warmHeap = takeWarmHeapFlag(argc, argv);
    if (warmHeap) {
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    setConsoleTarget(ConsoleTarget::Discard);
    std::ostream& report = std::cout;
    const BenchData& data = benchData();
    report << "large archive: " << data.large.size() << " bytes, " << data.largeCounts.bones
           << " bones, " << data.largeCounts.polygons << " polygons, " << data.largeCounts.corners
           << " corners, " << data.largeCounts.images
           << " images; demo archive: " << data.demo.size() << " bytes"
           << (warmHeap ? "; warm heap (freed memory stays mapped)" : "") << "\n";

    RatioReporter reporter;
    reporter.SetOutputStream(&report);
    reporter.SetErrorStream(&report);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    report << "\nRatios to the reference loops (same run):\n";
    reporter.printRatio("skeleton load(large) / memcpy(large)", "BM_ParseSkeletonLarge",
                        "BM_MemcpyLargeArchive", 20.0);
    reporter.printRatio("document load(large file) / memcpy(large)", "BM_LoadSkeletonLargeFile",
                        "BM_MemcpyLargeArchive");
    reporter.printRatio("skeleton load(demo) / memcpy(demo)", "BM_ParseSkeletonDemo",
                        "BM_MemcpyDemo");
    reporter.printRatio("TIM decode(full page) / nibble-table loop", "BM_DecodeTimFullPage",
                        "BM_ExpandNibblesReference");
    benchmark::Shutdown();
    return 0;
}
