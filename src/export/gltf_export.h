#pragma once

#include <string>
#include <vector>

#include "io/result.h"
#include "model/pose_tree.h"

class BoneNode;
class TexturePage;

// One pose of the whole tree and where it came from, for the line that refuses it.
struct ExportPose {
    std::string source;  // a pose file's path, or a description such as "the current pose"
    Pose matrices;
};

// What an export writes: the tree below root with its part meshes, the texture page, the
// matrices as loaded (the bind pose) and the poses. poses[0] goes into the nodes; two or more
// poses also make the animation "poses", pose k at k seconds.
struct ExportInput {
    const BoneNode* root = nullptr;
    const TexturePage* page = nullptr;
    Pose loaded;
    std::vector<ExportPose> poses;
};

// True when path ends in .glb or .gltf, the two forms the export writes.
bool isGltfExportPath(const std::string& path);

// Why an export is refused.
enum ExportFailure { kExportBadName = 1, kExportRefused, kExportWriterFailed, kExportNotSaved };

// Writes the model as glTF 2.0 to path: binary when it ends in .glb, JSON with everything
// embedded when it ends in .gltf. The file is written beside path and renamed over it once
// complete (saveFile). Fails with one line "Cannot export PATH: reason" (a pose that is not
// translation, rotation and positive scale names its source and bone), nothing written.
Result<> exportGltf(const ExportInput& input, const std::string& path);
