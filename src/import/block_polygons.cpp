#include "import/block_polygons.h"

#include <cstring>

#include "io/byte_order.h"

bool BlockPolygon::degenerate() const {
    for (int a = 0; a < cornerCount; ++a) {
        for (int b = a + 1; b < cornerCount; ++b) {
            if (std::memcmp(corners[a].position, corners[b].position, sizeof corners[a].position) ==
                0) {
                return true;
            }
        }
    }
    return false;
}

int16_t vertexCoordinate(const VertexRecord& vertex, int axis) {
    return static_cast<int16_t>(readLE16(vertex.data() + 2 * axis));
}

BlockContents readBlockContents(const uint8_t* block, const MeshBlockLayout& layout) {
    BlockContents out;
    out.vertices.resize(layout.vertexCount);
    for (size_t i = 0; i < layout.vertexCount; ++i) {
        std::memcpy(out.vertices[i].data(), block + 4 + i * kMeshVertexBytes, kMeshVertexBytes);
    }
    out.polygons.reserve(layout.polygonCount());
    for (uint8_t g = 0; g < kPolygonKindCount; ++g) {
        const PolygonKind& kind = kPolygonKinds[g];
        for (size_t r = 0; r < layout.groups[g].count; ++r) {
            BlockPolygon polygon;
            polygon.kind = g;
            polygon.cornerCount = static_cast<uint8_t>(kind.corners);
            polygon.record = layout.groups[g].start + r * kind.recordBytes;
            const uint8_t* record = block + polygon.record;
            polygon.rowOffset = kind.textured ? record[kRowOffsetAt] : 0;
            for (size_t e = 0; e < kind.corners; ++e) {
                const int fileCorner = kind.fileCorner[e];
                BlockCorner& corner = polygon.corners[e];
                corner.field = readLE16(record + 2 * fileCorner);
                const VertexRecord& vertex = out.vertices[vertexIndexOf(corner.field)];
                for (int a = 0; a < 3; ++a) corner.position[a] = vertexCoordinate(vertex, a);
                const uint8_t* attribute = record + kind.attributeAt[fileCorner];
                if (kind.textured) {
                    corner.attribute[0] = attribute[0];
                    corner.attribute[1] = attribute[1] + polygon.rowOffset;
                } else {
                    for (int a = 0; a < 3; ++a) corner.attribute[a] = attribute[a];
                }
            }
            out.polygons.push_back(polygon);
        }
    }
    return out;
}
