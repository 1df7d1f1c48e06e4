// Reads one PartMeshData block: a vertex list, then four groups of polygon records (textured
// triangles, textured quads, shaded triangles, shaded quads), each opened by a 32-bit word.
// The block is untrusted, so it is measured and checked whole first (every record inside the
// block, every vertex reference inside the vertex list) and only then turned into polygons: a
// bad block adds nothing. The four kinds differ only in the numbers of the table below, so one
// loop reads them all.

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "model/part_mesh.h"

namespace {

constexpr size_t kVertexBytes = 8;
// A vertex field is a byte offset into the vertex list shifted right by 3, so no record can
// reach a vertex past this many.
constexpr size_t kReachableVertices = (0xFFFFu >> 3) + 1;

struct PolygonKind {
    const char* name;
    size_t recordBytes;
    size_t corners;
    bool textured;
    bool countIsLowByte;  // only the low 8 bits of the opening word count, else a signed count
    // The file corner of each corner as emitted: a quad's corners run 0, 1, 3, 2, round the
    // outline.
    int fileCorner[4];
    // Where each file corner's (u, v) bytes or red, green, blue bytes lie in the record.
    size_t attributeAt[4];
};

constexpr size_t kRowOffsetAt = 10;  // textured records: added to the v of every corner

constexpr PolygonKind kKinds[] = {
    {"textured triangle", 16, 3, true, true, {0, 1, 2, 0}, {8, 12, 14, 0}},
    {"textured quad", 20, 4, true, false, {0, 1, 3, 2}, {8, 12, 14, 16}},
    {"shaded triangle", 20, 3, false, false, {0, 1, 2, 0}, {8, 12, 16, 0}},
    {"shaded quad", 24, 4, false, false, {0, 1, 3, 2}, {8, 12, 16, 20}},
};
constexpr size_t kKindCount = sizeof kKinds / sizeof kKinds[0];

struct Group {
    size_t start = 0;
    size_t count = 0;
};

struct MeshLayout {
    size_t vertexCount = 0;
    Group groups[kKindCount];
};

struct MeshTotals {
    size_t polygons = 0;
    size_t texturedCorners = 0;
    size_t shadedCorners = 0;
};

MeshTotals totalsOf(const MeshLayout& layout) {
    MeshTotals totals;
    for (size_t g = 0; g < kKindCount; ++g) {
        const size_t count = layout.groups[g].count;
        totals.polygons += count;
        (kKinds[g].textured ? totals.texturedCorners : totals.shadedCorners) +=
            count * kKinds[g].corners;
    }
    return totals;
}

bool fail(std::string* error, const char* format, ...) __attribute__((format(printf, 2, 3)));
bool fail(std::string* error, const char* format, ...) {
    if (error) {
        char text[256];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        *error = text;
    }
    return false;
}

// The counts of the last three groups are signed: 2^31 or more reads no records.
size_t countOf(const PolygonKind& kind, uint32_t word) {
    if (kind.countIsLowByte) return word & 0xFFu;
    const int32_t count = static_cast<int32_t>(word);
    return count > 0 ? static_cast<size_t>(count) : 0;
}

uint16_t vertexIndex(const uint8_t* field) {
    return static_cast<uint16_t>(readLE16(field) >> 3);  // the field is a byte offset
}

// Reads the group's opening word at p and checks that its records fit in the block; p moves
// past them.
bool measureGroup(const BoundedReader& block, size_t& p, const PolygonKind& kind, Group& group,
                  std::string* error) {
    uint32_t word = 0;
    if (!block.readU32(p, word)) {
        return fail(error, "the mesh block ends before the %s count", kind.name);
    }
    p += 4;
    const size_t count = countOf(kind, word);
    const size_t left = block.size() - p;
    if (count > left / kind.recordBytes) {
        return fail(error, "%zu %ss need %zu bytes but the mesh block has %zu left", count,
                    kind.name, count * kind.recordBytes, left);
    }
    group.start = p;
    group.count = count;
    p += count * kind.recordBytes;
    return true;
}

bool checkVertexReferences(const BoundedReader& block, const PolygonKind& kind, const Group& group,
                           size_t vertexCount, std::string* error) {
    for (size_t r = 0; r < group.count; ++r) {
        const uint8_t* record = block.data() + group.start + r * kind.recordBytes;
        for (size_t k = 0; k < kind.corners; ++k) {
            const uint16_t index = vertexIndex(record + 2 * k);
            if (index >= vertexCount) {
                return fail(error, "%s %zu refers to vertex %u but the block has %zu vertices",
                            kind.name, r, index, vertexCount);
            }
        }
    }
    return true;
}

bool measureMeshBlock(const BoundedReader& block, MeshLayout& layout, std::string* error) {
    uint32_t length = 0;
    if (!block.readU32(0, length)) {
        return fail(error, "the mesh block ends before its vertex-list length");
    }
    // Only whole vertices count; the next group follows the last whole vertex.
    const size_t vertexCount = length / kVertexBytes;
    size_t p = 4;
    if (vertexCount > (block.size() - p) / kVertexBytes) {
        return fail(error,
                    "the vertex list of %u bytes runs past the end of the mesh block (%zu bytes)",
                    length, block.size());
    }
    layout.vertexCount = vertexCount;
    p += vertexCount * kVertexBytes;
    for (size_t g = 0; g < kKindCount; ++g) {
        if (!measureGroup(block, p, kKinds[g], layout.groups[g], error)) return false;
    }
    for (size_t g = 0; g < kKindCount; ++g) {
        if (!checkVertexReferences(block, kKinds[g], layout.groups[g], vertexCount, error)) {
            return false;
        }
    }
    return true;
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

bool PartMesh::parsePartMesh(const BoundedReader& block, std::string* error) {
    MeshLayout layout;
    if (!measureMeshBlock(block, layout, error)) return false;
    const uint8_t* data = block.data();

    const MeshTotals totals = totalsOf(layout);
    if (totals.polygons == 0) return true;  // its vertices would serve no corner

    // Every array grows once, by exactly what this block adds.
    const size_t vertices = std::min(layout.vertexCount, kReachableVertices);
    vertices_.reserve(vertices_.size() + vertices);
    cornerVertices_.reserve(cornerVertices_.size() + totals.texturedCorners + totals.shadedCorners);
    texCoords_.reserve(texCoords_.size() + totals.texturedCorners);
    colors_.reserve(colors_.size() + totals.shadedCorners);
    starts_.reserve(starts_.size() + totals.polygons);

    const uint32_t firstVertex = static_cast<uint32_t>(vertices_.size());
    for (size_t v = 0; v < vertices; ++v) {
        const uint8_t* at = data + 4 + kVertexBytes * v;
        vertices_.emplace_back(static_cast<int16_t>(readLE16(at)),
                               static_cast<int16_t>(readLE16(at + 2)),
                               static_cast<int16_t>(readLE16(at + 4)));
    }
    const float* scale = kSixteenths.values;
    for (size_t g = 0; g < kKindCount; ++g) {
        const PolygonKind& kind = kKinds[g];
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
    return true;
}
