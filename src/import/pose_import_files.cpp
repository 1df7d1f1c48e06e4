#include "import/pose_import_files.h"

#include <sys/stat.h>
#include <tiny_gltf.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "import/gltf_reading.h"
#include "import/pose_import.h"
#include "io/file_saving.h"
#include "model/pose_file.h"

namespace {

Failure refuse(const std::string& path, const std::string& reason) {
    return {1, path + ": " + reason};
}

std::string numberedName(const std::string& folder, size_t k) {
    char name[32];
    std::snprintf(name, sizeof name, "pose-%03zu.bin", k);
    return folder + (folder.empty() || folder.back() == '/' ? "" : "/") + name;
}

}  // namespace

Result<std::vector<std::string>> importPoseFiles(const PoseImportJob& job, const BoneNode& root,
                                                 const Pose& loaded) {
    tinygltf::Model doc;
    std::string error = readGltfFile(job.input, doc);
    GltfPoseSource source;
    if (error.empty()) error = source.open(doc, root, loaded);
    if (!error.empty()) return refuse(job.input, error);
    if ((job.atTime || job.toFolder) && !source.animated()) {
        return refuse(job.input, "it holds no animation");
    }

    std::vector<double> times;
    if (job.toFolder) {
        times = source.keyTimes();
        if (times.empty()) return refuse(job.input, "its animation has no key");
    } else if (job.atTime) {
        times = {job.time};
    }
    std::vector<Pose> poses(job.atTime || job.toFolder ? times.size() : 1);
    for (size_t k = 0; k < poses.size(); ++k) {
        error = source.poseAt(times.empty() ? nullptr : &times[k], poses[k]);
        if (!error.empty()) return refuse(job.input, error);
    }

    if (job.toFolder && mkdir(job.output.c_str(), 0777) != 0 && errno != EEXIST) {
        return refuse(job.output, std::strerror(errno));
    }
    std::vector<std::string> written;
    for (size_t k = 0; k < poses.size(); ++k) {
        const std::string path = job.toFolder ? numberedName(job.output, k) : job.output;
        const SaveResult saved = saveFile(path, encodePose(root, poses[k]));
        if (saved.outcome != SaveOutcome::Saved) {
            return refuse(path, describeSaveFailure(saved));
        }
        written.push_back(path);
    }
    return written;
}
