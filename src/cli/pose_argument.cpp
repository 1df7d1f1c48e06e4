#include "cli/pose_argument.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "console/console.h"
#include "io/byte_order.h"
#include "model/pose_file.h"

namespace {

// The record (0 the root's, in the file's pre-order) that holds a float that is not finite, or
// -1.
long firstNodeNotFinite(const std::vector<uint8_t>& bytes) {
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        const uint32_t word = readLE32(bytes.data() + at);
        float value;
        std::memcpy(&value, &word, 4);
        if (!std::isfinite(value)) return static_cast<long>(at / kPoseRecordBytes);
    }
    return -1;
}

}  // namespace

std::optional<Pose> applyPoseArgument(BoneNode& root, const std::string& path) {
    const size_t nodes = poseNodeCount(root);
    const size_t needed = nodes * kPoseRecordBytes;
    const Result<PoseRead> result = readPoseFile(path.c_str(), needed);
    if (!result) {
        consolePrintf("%s: %s\n", path.c_str(), result.message.c_str());
        return std::nullopt;
    }
    const PoseRead& read = *result;
    if (read.more || read.bytes.size() != needed) {
        consolePrintf(
            "%s: not a pose of this model: it has %s%zu bytes, the model's %zu bones and "
            "root need %zu (192 for each)\n",
            path.c_str(), read.more ? "more than " : "", read.bytes.size(), nodes - 1, needed);
        return std::nullopt;
    }
    const long bad = firstNodeNotFinite(read.bytes);
    if (bad >= 0) {
        consolePrintf("%s: record %ld of %zu holds a value that is not a finite number\n",
                      path.c_str(), bad + 1, nodes);
        return std::nullopt;
    }
    // It fits exactly, so every matrix of the tree comes from the file.
    Pose pose = decodePose(root, read.bytes.data(), read.bytes.size());
    pose.apply(root);
    return pose;
}
