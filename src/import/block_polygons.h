#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/mesh_block.h"

// One corner of a polygon record as the block holds it.
struct BlockCorner {
    uint16_t field = 0;     // the vertex field, low bits and all
    int position[3] = {};   // its vertex's x, y, z
    int attribute[3] = {};  // textured: u, v + row offset, 0; shaded: red, green, blue
};

// One polygon record, its corners in the order the viewer emits them (a quad's 0, 1, 3, 2).
struct BlockPolygon {
    uint8_t kind = 0;  // index into kPolygonKinds
    uint8_t cornerCount = 0;
    uint8_t rowOffset = 0;
    size_t record = 0;  // from the block's start
    BlockCorner corners[4];

    bool textured() const { return kPolygonKinds[kind].textured; }
    // Two of its corners at one place: no other tool keeps such a face.
    bool degenerate() const;
};

using VertexRecord = std::array<uint8_t, kMeshVertexBytes>;

struct BlockContents {
    std::vector<VertexRecord> vertices;
    std::vector<BlockPolygon> polygons;  // in record order, group by group
};

// Reads a block that measureMeshBlock has checked: block points at its first byte.
BlockContents readBlockContents(const uint8_t* block, const MeshBlockLayout& layout);

int16_t vertexCoordinate(const VertexRecord& vertex, int axis);
