// Export then import of one archive, each import in a fresh process as --import-model runs it:
// veldraxis_model_import_bench ARCHIVE | --demo. Reports the export's size and time, and the
// import's wall time (reading and parsing the file, matching every triangle, writing the
// archive in memory) with its heap peak through operator new relative to the glTF file's size.
// The archive's own bytes and reading, loaded before, are not counted.

#include <sys/resource.h>
#include <sys/stat.h>
#include <tiny_gltf.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "bench_archives.h"
#include "console/console.h"
#include "demo/demo_archive.h"
#include "document/document.h"
#include "export/gltf_export.h"
#include "import/gltf_reading.h"
#include "import/model_import.h"
#include "model/model.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool readBenchFile(const std::string& path, std::vector<uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

long maxResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ARCHIVE | --demo\n", argv[0]);
        return 2;
    }
    setConsoleTarget(ConsoleTarget::Discard);
    const std::string name = argv[1];
    std::vector<uint8_t> bytes;
    if (name == "--demo") {
        bytes.assign(demoArchiveData(), demoArchiveData() + demoArchiveSize());
    } else if (!readBenchFile(name, bytes)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string path = scratchPath("model-import.glb");
    double exportMs = 0;
    Archive archive;
    {
        const Document document = documentFromBytes(Source(), bytes);
        Model& model = *document.model;
        archive = document.archive;
        ExportInput input{model.rootNode(),
                          &model.texturePage(),
                          model.loadedPose,
                          {{"the loaded pose", model.loadedPose}}};
        const auto start = Clock::now();
        if (!exportGltf(input, path).ok()) {
            std::fprintf(stderr, "the export failed\n");
            return 1;
        }
        exportMs = msSince(start);
    }
    struct stat info {};
    stat(path.c_str(), &info);
    const double fileBytes = static_cast<double>(info.st_size);

    const long rssBefore = maxResidentKiB();
    resetAllocationPeak();
    const AllocationStats before = allocationStats();
    const auto start = Clock::now();
    ModelImport result;
    std::string error;
    double readMs = 0;
    {
        tinygltf::Model doc;
        error = readGltfFile(path, doc);
        readMs = msSince(start);
        if (error.empty()) error = importModel(bytes, archive, doc, result);
    }
    const double importMs = msSince(start);
    const AllocationStats after = allocationStats();
    const double rssGrowth = 1024.0 * static_cast<double>(maxResidentKiB() - rssBefore);
    std::remove(path.c_str());
    if (!error.empty() || result.archive != bytes) {
        std::fprintf(stderr, "the import failed or changed the archive: %s\n", error.c_str());
        return 1;
    }
    const double heapPeak = static_cast<double>(after.peakBytes - before.liveBytes);
    std::printf(
        "model import %s: archive %.1f MB, .glb %.1f MB\n"
        "  export:                               %8.1f ms\n"
        "  import (read, parse, match, write):   %8.1f ms wall, %.1f ms of it reading\n"
        "  heap peak during import:              %8.1f MB = %5.2f x .glb size\n"
        "  max resident set growth:              %8.1f MB = %5.2f x .glb size\n",
        name.c_str(), static_cast<double>(bytes.size()) / 1e6, fileBytes / 1e6, exportMs, importMs,
        readMs, heapPeak / 1e6, heapPeak / fileBytes, rssGrowth / 1e6, rssGrowth / fileBytes);
    return 0;
}
