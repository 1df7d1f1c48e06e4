#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive.h"

namespace tinygltf {
class Model;
}
class Model;

// A model edited in another tool, brought back into the archive it was exported from. The
// file's joints are matched to the archive's bones as a pose import matches them; its triangles
// are matched to the archive's polygons, and only the blocks of the parts that changed are
// rewritten, each where it stands (a block two bones share is left to the one that did not
// change, the other gets a block of its own after the section's blocks). Every byte the
// import does not change stays, and an unedited file gives back the archive byte for byte.
struct ModelImport {
    std::vector<uint8_t> archive;  // the new archive
    size_t editedParts = 0;        // parts whose block was rewritten or added
};

// bytes is the archive and archive its reading; loaded, when given, the model already loaded
// from them (else one is built). "" with the result in out, else the one line of why the file
// cannot come back (its joints, its mesh, or what the archive cannot hold).
std::string importModel(const std::vector<uint8_t>& bytes, const Archive& archive,
                        const tinygltf::Model& doc, ModelImport& out,
                        const Model* loaded = nullptr);
