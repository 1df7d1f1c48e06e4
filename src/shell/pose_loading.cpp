#include "shell/pose_loading.h"

#include <cstdio>
#include <string>

#include "console/console.h"
#include "model/pose_file.h"

namespace {

std::string bones(size_t count) {
    return std::to_string(count) + (count == 1 ? " bone" : " bones");
}

// A pose file holds the root's record first, then one per bone.
std::string bonesInFile(size_t size) {
    const size_t records = size / kPoseRecordBytes;
    std::string text = bones(records > 0 ? records - 1 : 0);
    if (size % kPoseRecordBytes)
        text += " and " + std::to_string(size % kPoseRecordBytes) + " bytes";
    return text;
}

}  // namespace

int loadPoseTellingBones(BoneNode& root, const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        consolePrintf("cannot open : %s\n", path);
        return -1;
    }
    const size_t modelBones = poseNodeCount(root) - 1;
    const size_t needed = (modelBones + 1) * kPoseRecordBytes;
    const Result<PoseRead> result = readPoseStream(file, needed);
    std::fclose(file);
    if (!result) {
        consolePrintf("Cannot read pose file %s: %s\n", path, result.message.c_str());
        return -1;
    }
    const PoseRead& read = *result;
    const int64_t fileSize = read.size;
    size_t loaded = 0;  // applyPose's work without its note in bytes: the one below says bones
    decodePose(root, read.bytes.data(), read.bytes.size(), &loaded).apply(root);
    if (!read.more && read.bytes.size() < needed) {
        consolePrintf(
            "Pose file %s holds %s, the model has %s: loaded the first %zu matrices, "
            "kept the rest\n",
            path, bonesInFile(read.bytes.size()).c_str(), bones(modelBones).c_str(), loaded);
    } else if (read.more && fileSize > 0) {
        consolePrintf(
            "Pose file %s holds %s, the model has %s: loaded the %zu matrices it "
            "needs, ignored the rest\n",
            path, bonesInFile(static_cast<size_t>(fileSize)).c_str(), bones(modelBones).c_str(),
            loaded);
    } else if (read.more) {  // a pipe or device says only that it goes on
        consolePrintf(
            "Pose file %s holds more than the %s of the model: loaded the %zu matrices "
            "it needs, ignored the rest\n",
            path, bones(modelBones).c_str(), loaded);
    }
    return loaded > 0 ? 0 : -1;
}
