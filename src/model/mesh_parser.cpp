// Turns one mesh block into polygons: a vertex list, then four groups of polygon records
// (textured triangles, textured quads, shaded triangles, shaded quads). The block is measured and
// checked whole first (archive/mesh_block.h) and only then turned into polygons: a bad block
// adds nothing.

#include <algorithm>

#include "archive/mesh_block.h"
#include "model/part_mesh.h"

namespace {

struct MeshTotals {
    size_t polygons = 0;
    size_t texturedCorners = 0;
    size_t shadedCorners = 0;
};

MeshTotals totalsOf(const MeshBlockLayout& layout) {
    MeshTotals totals;
    for (size_t g = 0; g < kPolygonKindCount; ++g) {
        const size_t count = layout.groups[g].count;
        totals.polygons += count;
        (kPolygonKinds[g].textured ? totals.texturedCorners : totals.shadedCorners) +=
            count * kPolygonKinds[g].corners;
    }
    return totals;
}

uint16_t vertexIndex(const uint8_t* field) {
    return vertexIndexOf(readLE16(field));
}

// byte / 256 for every byte, and (v + row offset) / 256 up to 255 + 255, as the corner-adding
// operations compute them.
struct Sixteenths {
    float values[511];
    Sixteenths() {
        for (int i = 0; i < 511; ++i) values[i] = static_cast<float>(i / 256.0);
    }
};
const Sixteenths kSixteenths;

}  // namespace

Result<> PartMesh::parsePartMesh(const BoundedReader& block) {
    MeshBlockLayout layout;
    Result<> measured = measureMeshBlock(block, layout);
    if (measured.ok()) fillFromBlock(block, layout);
    return measured;
}

void PartMesh::fillFromBlock(const BoundedReader& block, const MeshBlockLayout& layout) {
    const uint8_t* data = block.data();

    const MeshTotals totals = totalsOf(layout);
    if (totals.polygons == 0) return;  // its vertices would serve no corner

    // Every array grows once, by exactly what this block adds.
    const size_t vertices = std::min(layout.vertexCount, kReachableVertices);
    vertices_.reserve(vertices_.size() + vertices);
    cornerVertices_.reserve(cornerVertices_.size() + totals.texturedCorners + totals.shadedCorners);
    texCoords_.reserve(texCoords_.size() + totals.texturedCorners);
    colors_.reserve(colors_.size() + totals.shadedCorners);
    starts_.reserve(starts_.size() + totals.polygons);

    const uint32_t firstVertex = static_cast<uint32_t>(vertices_.size());
    for (size_t v = 0; v < vertices; ++v) {
        const uint8_t* at = data + 4 + kMeshVertexBytes * v;
        vertices_.emplace_back(static_cast<int16_t>(readLE16(at)),
                               static_cast<int16_t>(readLE16(at + 2)),
                               static_cast<int16_t>(readLE16(at + 4)));
    }
    const float* scale = kSixteenths.values;
    for (size_t g = 0; g < kPolygonKindCount; ++g) {
        const PolygonKind& kind = kPolygonKinds[g];
        for (size_t r = 0; r < layout.groups[g].count; ++r) {
            const uint8_t* record = data + layout.groups[g].start + r * kind.recordBytes;
            starts_.push_back(arraysEnd());
            for (size_t k = 0; k < kind.corners; ++k) {
                const int j = kind.fileCorner[k];
                cornerVertices_.push_back(firstVertex + vertexIndex(record + 2 * j));
                const uint8_t* attribute = record + kind.attributeAt[j];
                if (kind.textured) {
                    // t = v + row offset, an integer sum up to 510, not wrapped.
                    texCoords_.push_back(
                        {scale[attribute[0]], scale[attribute[1] + record[kRowOffsetAt]]});
                } else {
                    colors_.emplace_back(scale[attribute[0]], scale[attribute[1]],
                                         scale[attribute[2]]);
                }
            }
        }
    }
    currentPolygon = -1;  // as after the last polygon's endPolygon
}
