#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive.h"

class Model;

// What one load brought in, besides the model it filled.
struct LoadedModel {
    bool demo = false;        // the built-in demo model, no archive path
    int texturesResult = -1;  // the texture scan: 0, or -1
    int skeletonResult = -1;  // the skeleton loader: 0, or -1
    size_t boneCount = 0;     // bones in the model after the load
    double texturesMs = 0;    // wall time of the texture load
    double skeletonMs = 0;    // wall time of the skeleton load
    Archive archive;          // the archive as read (empty when the file could not be read)
    std::vector<std::string> problems;  // the loaders' problem lines, in order, without line ends
    bool unread = false;                // the file could not be opened or read whole
    bool cutShort = false;  // its entry table runs past its end, or names an entry beyond it
};

// Loads the textures, then the skeleton, of an archive in memory into model, as the viewer does
// at start-up: both from one reading of the bytes. Prints the loaders' lines unless quiet.
// Keeps the tree's matrices as loaded in model.loadedPose.
LoadedModel loadModelFromBytes(Model& model, const uint8_t* data, size_t size, bool quiet = false);

// The same on the archive at path, read once. A file that cannot be opened or read whole gets
// each loader's own line for it, as each loader would print it on its own.
LoadedModel loadModelFile(Model& model, const char* path, bool quiet = false);
