#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Model;

// What one load brought in. The loaders have already printed their own lines.
struct LoadedModel {
    bool demo = false;                  // the built-in demo model, no archive path
    int texturesResult = -1;            // the texture scan: 0, or -1
    int skeletonResult = -1;            // the skeleton loader: 0, or -1
    size_t boneCount = 0;               // bones in partList after the load
    double texturesMs = 0;              // wall time of the texture load
    double skeletonMs = 0;              // wall time of the skeleton load
    std::vector<std::string> problems;  // the loaders' problem lines, in order, without progress
    bool unread = false;                // the file could not be opened or read whole
    bool cutShort = false;  // its entry table runs past its end, or names an entry beyond it
};

// Loads the textures, then the skeleton, of the archive at archivePath into model and the
// process-wide bone state, as the viewer does at start-up; nullptr loads the built-in demo
// model. The file is read once, so both loaders see the same bytes. Neither failure stops the
// other. Keeps the tree's matrices as loaded in model.loadedPose. Needs no window system.
LoadedModel loadModel(Model& model, const char* archivePath);

// The same on an archive already read into memory.
LoadedModel loadModelFromBytes(Model& model, const uint8_t* data, size_t size);
