#include "shell/model_loading.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "console/console.h"
#include "demo_archive.h"
#include "model/model.h"
#include "model/model_state.h"
#include "model/pose_file.h"
#include "texture/texture_page.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int scanDemoTextures(Model& model) {
    FILE* file = fmemopen(const_cast<uint8_t*>(demoArchiveData()), demoArchiveSize(), "rb");
    if (!file) return -1;
    const int result = model.texturePage().scanArchive(file);
    std::fclose(file);
    return result;
}

}  // namespace

LoadedModel loadModel(Model& model, const char* archivePath) {
    LoadedModel loaded;
    loaded.demo = archivePath == nullptr;
    if (loaded.demo) consolePrintf("No archive given: showing the built-in demo model\n");

    auto start = Clock::now();
    loaded.texturesResult = loaded.demo ? scanDemoTextures(model) : model.loadTextures(archivePath);
    loaded.texturesMs = msSince(start);

    start = Clock::now();
    loaded.skeletonResult = loaded.demo ? model.parseSkeleton(demoArchiveData(), demoArchiveSize())
                                        : model.loadSkeleton(archivePath);
    loaded.skeletonMs = msSince(start);
    loaded.boneCount = partList.size();
    if (rootNode) model.loadedPose = Pose::capture(*rootNode);
    return loaded;
}
