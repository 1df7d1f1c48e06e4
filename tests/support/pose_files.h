#pragma once

#include <cstdio>
#include <string>

#include "model/pose_file.h"

namespace test_support {

// What loading a pose file by name gave: the matrices loaded and the line to print ("" for
// none): the size note, or the failure.
struct PoseFileLoad {
    size_t loaded = 0;
    std::string line;
};

// Loads the file at path as playback does, through loadPoseStream.
inline PoseFileLoad loadPoseFileAt(BoneNode& root, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return {0, "cannot open : " + path};
    const Result<PoseLoad> load = loadPoseStream(root, file, path.c_str());
    std::fclose(file);
    if (!load) return {0, load.message};
    return {load->loaded, load->sizeNote.value_or("")};
}

}  // namespace test_support
