// Peak memory of one skeleton load, relative to the archive's size. Run as its own process
// (veldraxis_load_memory ARCHIVE) so that nothing else has touched the heap: it reports the
// peak of live heap bytes through operator new during the load and the growth of the
// process's maximum resident set size, and the time of that one load, which like the viewer's
// start-up finds no memory mapped yet.

#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "allocation_counter.h"
#include "bench_data.h"
#include "console/console.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "source/source_reading.h"

namespace {

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return 1e3 * static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_nsec);
}

long maxResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ARCHIVE\n", argv[0]);
        return 2;
    }
    struct stat info {};
    if (stat(argv[1], &info) != 0) {
        std::fprintf(stderr, "cannot stat %s\n", argv[1]);
        return 1;
    }
    const double fileBytes = static_cast<double>(info.st_size);

    Model model;
    const long rssBefore = maxResidentKiB();
    const AllocationStats before = allocationStats();
    resetAllocationPeak();

    // The loader prints a line per bone; keep them out of the report.
    setConsoleTarget(ConsoleTarget::Discard);
    const double cpuBefore = cpuMs();
    const auto wallBefore = std::chrono::steady_clock::now();
    int result = -1;
    {
        std::vector<uint8_t> bytes;
        if (readSource(Source::file(argv[1]), bytes).ok()) result = loadSkeletonInto(model, bytes);
    }
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallBefore)
            .count();
    const double loadCpuMs = cpuMs() - cpuBefore;
    const AllocationStats after = allocationStats();
    const long rssAfter = maxResidentKiB();

    size_t polygons = 0;
    for (const PartMesh* mesh : model.partList()) polygons += mesh->polygonCount();
    const double heapPeak = static_cast<double>(after.peakBytes - before.liveBytes);
    const double heapKept = static_cast<double>(after.liveBytes - before.liveBytes);
    const double rssGrowth = 1024.0 * static_cast<double>(rssAfter - rssBefore);
    std::fprintf(stderr,
                 "skeleton load of %s: result %d, %zu bones, %zu polygons, file %.1f MB\n"
                 "  this one load in a fresh process:     %8.1f ms wall, %.1f ms CPU\n"
                 "  heap peak during load (operator new): %8.1f MB = %5.2f x file size\n"
                 "  heap kept after load:                 %8.1f MB = %5.2f x file size"
                 " (%.0f bytes per polygon)\n"
                 "  max resident set growth:              %8.1f MB = %5.2f x file size\n"
                 "  heap allocations during load:         %zu (%.4f per polygon)\n",
                 argv[1], result, model.partList().size(), polygons, fileBytes / 1e6, wallMs,
                 loadCpuMs, heapPeak / 1e6, heapPeak / fileBytes, heapKept / 1e6,
                 heapKept / fileBytes, polygons ? heapKept / static_cast<double>(polygons) : 0.0,
                 rssGrowth / 1e6, rssGrowth / fileBytes, after.allocations - before.allocations,
                 polygons ? static_cast<double>(after.allocations - before.allocations) /
                                static_cast<double>(polygons)
                          : 0.0);
    return result == 0 ? 0 : 1;
}
