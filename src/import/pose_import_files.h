#pragma once

#include <string>
#include <vector>

#include "io/result.h"

class BoneNode;
class Pose;

// One import: a .glb or .gltf in, pose files out.
struct PoseImportJob {
    std::string input;
    std::string output;     // a pose file, or with toFolder the folder of pose-NNN.bin
    bool toFolder = false;  // one pose file per key time of the first animation
    bool atTime = false;    // the first animation at time, not the nodes as they stand
    double time = 0.0;
};

// Reads the input, takes the poses for root's tree (loaded: its matrices as loaded) and writes
// them through saveFile. Everything is read and computed before the first file is written.
// The files written, in order; or fails with one line "PATH: what is wrong", nothing written.
Result<std::vector<std::string>> importPoseFiles(const PoseImportJob& job, const BoneNode& root,
                                                 const Pose& loaded);
