#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/mesh_block.h"
#include "inspect/archive_comparison.h"
#include "inspect/sequence_alignment.h"

// A mesh block as one archive holds it, measured and checked by parseArchive; no layout for a
// bone without a readable block.
struct MeshBlockBytes {
    const uint8_t* data = nullptr;  // the block's first byte; layout->end bytes follow
    const MeshBlockLayout* layout = nullptr;
};

struct MeshBlockComparison {
    MeshComparison mesh;
    size_t vertexPadding = 0;   // differing bytes of the fourth word of vertices in both
    size_t polygonPadding = 0;  // differing unread bytes of records aligned with each other
};

// Vertices by index; polygons kind by kind, aligned on their read values (the vertex each
// corner names, its texture coordinate as the viewer computes it, or its colour), so that one
// polygon deleted is one removed. Aligned records that are not equal count as changed.
MeshBlockComparison compareMeshBlocks(const MeshBlockBytes& a, const MeshBlockBytes& b,
                                      AlignmentBudget& budget);
