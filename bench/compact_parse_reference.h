#pragma once

// A reference for the skeleton parse: the same archive read into a compact form, each mesh's
// corners in flat float arrays (position, colour, texture coordinate) with one corner count
// per polygon, instead of one object per polygon. Like the real parser it checks each mesh
// block whole (every group inside the block, every vertex reference inside the vertex list)
// before it reads the records, then reads them without further checks. It shows how near the
// memcpy limit a load can come when the polygons are stored compactly.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct CompactMesh {
    size_t corners = 0;
    size_t polygons = 0;
    size_t texturedPolygons = 0;         // the first ones
    std::unique_ptr<float[]> positions;  // 3 per corner
    std::unique_ptr<float[]> colors;     // 3 per corner
    std::unique_ptr<float[]> texCoords;  // 2 per corner of the textured polygons
    std::unique_ptr<uint8_t[]> cornerCounts;
};

// Parses every bone's mesh of the archive; returns the number of polygons read.
size_t compactParse(const uint8_t* data, size_t size, std::vector<CompactMesh>& meshes);
