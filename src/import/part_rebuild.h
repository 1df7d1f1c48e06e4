#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/block_polygons.h"
#include "import/polygon_matching.h"

// The archive can reference no vertex past this many in a part.
constexpr size_t kMaxPartVertices = 8192;

// One part's block as it stood and what the file says of it.
struct PartEdit {
    std::string name;                // the bone, as lines name it ("bone 3")
    const uint8_t* block = nullptr;  // the original block, or null when the bone has none
    const MeshBlockLayout* layout = nullptr;
    const BlockContents* contents = nullptr;
    const std::vector<PartTriangle>* triangles = nullptr;
    const PartMatching* matching = nullptr;
};

// Writes the part's block with the file's edits: kept polygons keep their records but for the
// values that changed, new triangles follow their group's polygons, deleted ones go, the
// vertex list keeps every vertex's index and grows at its end. "" with the bytes in out, or the
// one line of what the archive cannot hold.
std::string rebuildBlock(const PartEdit& part, std::vector<uint8_t>& out);
