#pragma once

#include <cstddef>

class Model;

// What one load brought in. The loaders have already printed their own lines.
struct LoadedModel {
    bool demo = false;        // the built-in demo model, no archive path
    int texturesResult = -1;  // loadTextures: 0, or -1
    int skeletonResult = -1;  // loadSkeleton: 0, or -1
    size_t boneCount = 0;     // bones in partList after the load
    double texturesMs = 0;    // wall time of the texture load
    double skeletonMs = 0;    // wall time of the skeleton load
};

// Loads the textures, then the skeleton, of the archive at archivePath into model and the
// process-wide bone state, as the viewer does at start-up; nullptr loads the built-in demo
// model. Neither failure stops the other. Keeps the tree's matrices as loaded in
// model.loadedPose. Needs no window system.
LoadedModel loadModel(Model& model, const char* archivePath);
