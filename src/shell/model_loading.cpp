#include "shell/model_loading.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "archive/entry_table.h"
#include "console/console.h"
#include "demo_archive.h"
#include "io/file_reading.h"
#include "model/model.h"
#include "model/model_state.h"
#include "model/pose_file.h"
#include "texture/texture_page.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void parseBoth(Model& model, const uint8_t* data, size_t size, LoadedModel& loaded) {
    auto start = Clock::now();
    loaded.texturesResult = model.texturePage().scanArchive(data, size);
    loaded.texturesMs = msSince(start);
    start = Clock::now();
    loaded.skeletonResult = model.parseSkeleton(data, size);
    loaded.skeletonMs = msSince(start);
}

void finish(Model& model, LoadedModel& loaded) {
    loaded.boneCount = partList.size();
    if (rootNode) model.loadedPose = Pose::capture(*rootNode);
}

// The archive read whole into bytes, or false without a line.
bool readWhole(const char* path, std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    bool whole;
    {
        ConsoleCapture quiet;  // the path loaders below say why, in their own words
        whole = readArchiveFile(file, path, bytes);
    }
    std::fclose(file);
    return whole;
}

// A file still being written, or truncated: its table promises more than it holds.
bool entriesPastEnd(const uint8_t* data, size_t size) {
    const BoundedReader archive(data, size);
    const EntryTable table(archive);
    uint32_t count = 0;
    if (!table.count(count) || !table.holdsOffsets(count)) return true;
    for (uint32_t k = 0; k < count; ++k) {
        uint32_t offset = 0;
        if (!table.offset(k, offset) || offset > size) return true;
    }
    return false;
}

}  // namespace

LoadedModel loadModelFromBytes(Model& model, const uint8_t* data, size_t size) {
    LoadedModel loaded;
    ProblemLog problems;
    parseBoth(model, data, size, loaded);
    finish(model, loaded);
    loaded.cutShort = entriesPastEnd(data, size);
    loaded.problems = problems.lines();
    return loaded;
}

LoadedModel loadModel(Model& model, const char* archivePath) {
    if (!archivePath) {
        consolePrintf("No archive given: showing the built-in demo model\n");
        LoadedModel loaded = loadModelFromBytes(model, demoArchiveData(), demoArchiveSize());
        loaded.demo = true;
        return loaded;
    }
    std::vector<uint8_t> bytes;
    if (readWhole(archivePath, bytes)) return loadModelFromBytes(model, bytes.data(), bytes.size());

    // A file that cannot be opened or read whole: each loader says so in its own line.
    LoadedModel loaded;
    loaded.unread = true;
    ProblemLog problems;
    auto start = Clock::now();
    loaded.texturesResult = model.loadTextures(archivePath);
    loaded.texturesMs = msSince(start);
    start = Clock::now();
    loaded.skeletonResult = model.loadSkeleton(archivePath);
    loaded.skeletonMs = msSince(start);
    finish(model, loaded);
    loaded.problems = problems.lines();
    return loaded;
}
