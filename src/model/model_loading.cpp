#include "model/model_loading.h"

#include <chrono>
#include <cstdio>

#include "archive/problem_table.h"
#include "console/console.h"
#include "io/file_reading.h"
#include "model/model.h"
#include "model/pose_file.h"
#include "texture/texture_page.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void print(const std::vector<std::string>& lines, bool quiet) {
    if (quiet) return;
    for (const std::string& line : lines) consolePrintf("%s", line.c_str());
}

void finish(Model& model, LoadedModel& loaded) {
    loaded.boneCount = model.boneCount();
    model.loadedPose = Pose::capture(*model.rootNode());
}

// The archive read whole into bytes, or false with the line the skeleton loader prints for it.
bool readWhole(const char* path, std::vector<uint8_t>& bytes, std::string& why) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    const Result<> read = readArchiveFile(file, path, bytes);
    std::fclose(file);
    why = read.message;
    return read.ok();
}

}  // namespace

LoadedModel loadModelFromBytes(Model& model, const uint8_t* data, size_t size, bool quiet) {
    LoadedModel loaded;
    auto start = Clock::now();
    loaded.archive = parseArchive(data, size);
    print(textureLoaderLines(loaded.archive), quiet);
    model.texturePage().decodeImages(data, loaded.archive);
    loaded.texturesResult = loaded.archive.texturesResult();
    loaded.texturesMs = msSince(start);
    start = Clock::now();
    print(skeletonLoaderLines(loaded.archive), quiet);
    model.buildSkeleton(data, loaded.archive);
    loaded.skeletonResult = loaded.archive.skeletonResult();
    loaded.skeletonMs = msSince(start);
    finish(model, loaded);
    loaded.cutShort = loaded.archive.cutShort();
    for (const ArchiveProblem& problem : loaded.archive.problems) {
        const std::string line = problemLine(problem);
        loaded.problems.push_back(line.substr(0, line.find_last_not_of('\n') + 1));
    }
    return loaded;
}

LoadedModel loadModelFile(Model& model, const char* path, bool quiet) {
    std::vector<uint8_t> bytes;
    std::string why;
    if (readWhole(path, bytes, why))
        return loadModelFromBytes(model, bytes.data(), bytes.size(), quiet);

    // A file that cannot be opened or read whole: each loader says so in its own line.
    LoadedModel loaded;
    loaded.unread = true;
    FILE* file = std::fopen(path, "rb");
    if (file) std::fclose(file);
    std::vector<std::string> lines;
    if (!file) {
        lines.push_back("File cannot open. [" + std::string(path) + "]\n");
        lines.push_back(std::string(path) + " cannot found...\n");
    } else {
        lines.push_back(why);
    }
    print(lines, quiet);
    loaded.problems = {};
    for (const std::string& line : lines)
        loaded.problems.push_back(line.substr(0, line.size() - 1));
    finish(model, loaded);
    return loaded;
}
