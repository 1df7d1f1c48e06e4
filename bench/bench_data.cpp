#include "bench_data.h"

#include <cstdio>
#include <cstdlib>

#include "archive/archive.h"
#include "model/model.h"
#ifdef VELDRAXIS_HAVE_DEMO_MODEL
#include "demo/demo_archive.h"
#endif

namespace {

std::string removeAtExit;

void removeScratchFile() {
    if (!removeAtExit.empty()) std::remove(removeAtExit.c_str());
}

}  // namespace

const BenchData& benchData() {
    static const BenchData data = [] {
        BenchData d;
        d.large = makeLargeArchive({}, &d.largeCounts);
        d.largePath = scratchPath("large.bin");
        if (archive_builder::writeFile(d.largePath, d.large)) {
            removeAtExit = d.largePath;
            std::atexit(removeScratchFile);
        }
#ifdef VELDRAXIS_HAVE_DEMO_MODEL
        const auto* bytes = reinterpret_cast<const uint8_t*>(demoArchiveData());
        d.demo.assign(bytes, bytes + demoArchiveSize());
#endif
        return d;
    }();
    return data;
}

int loadSkeletonInto(Model& model, const archive_builder::Bytes& bytes) {
    const Archive archive = parseArchive(bytes);
    model.buildSkeleton(bytes.data(), archive);
    // The lines are made as the viewer makes them, though nothing prints them here.
    volatile size_t lines = skeletonLoaderLines(archive).size();
    (void)lines;
    return archive.skeletonResult();
}
