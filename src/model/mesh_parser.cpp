// Reads one PartMeshData block: a vertex list, then textured triangles, textured quads, shaded
// triangles and shaded quads, each group opened by a 32-bit word. The block is untrusted, so it
// is measured and checked whole first (every record inside the block, every vertex reference
// inside the vertex list) and only then turned into polygons: a bad block adds nothing.

#include <cstdarg>
#include <cstdio>

#include "model/part_mesh.h"

namespace {

constexpr size_t kVertexBytes = 8;
constexpr size_t kTexturedTriangleBytes = 16;
constexpr size_t kTexturedQuadBytes = 20;
constexpr size_t kShadedTriangleBytes = 20;
constexpr size_t kShadedQuadBytes = 24;

// A quad's corners are emitted as file corners 0, 1, 3, 2, so that the four corners run round
// the outline.
constexpr int kQuadCornerOrder[4] = {0, 1, 3, 2};

struct Group {
    const char* name;
    size_t recordBytes;
    int corners;  // vertex fields at the start of each record
    size_t start = 0;
    size_t count = 0;
};

struct MeshLayout {
    size_t vertexCount = 0;
    Group texturedTriangles{"textured triangle", kTexturedTriangleBytes, 3};
    Group texturedQuads{"textured quad", kTexturedQuadBytes, 4};
    Group shadedTriangles{"shaded triangle", kShadedTriangleBytes, 3};
    Group shadedQuads{"shaded quad", kShadedQuadBytes, 4};

    size_t polygonCount() const {
        return texturedTriangles.count + texturedQuads.count + shadedTriangles.count +
               shadedQuads.count;
    }
};

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

// Takes the group's count (already decoded from its opening word at p) and checks that its
// records fit in the block; p moves past them.
bool measureGroup(const BoundedReader& block, size_t& p, size_t count, Group& group,
                  std::string* error) {
    const size_t left = block.size() - p;
    if (count > left / group.recordBytes) {
        return fail(error, "%zu %ss need %zu bytes but the mesh block has %zu left", count,
                    group.name, count * group.recordBytes, left);
    }
    group.start = p;
    group.count = count;
    p += count * group.recordBytes;
    return true;
}

bool readCountWord(const BoundedReader& block, size_t& p, const Group& group, uint32_t& word,
                   std::string* error) {
    if (!block.readU32(p, word)) {
        return fail(error, "the mesh block ends before the %s count", group.name);
    }
    p += 4;
    return true;
}

// The counts of the last three groups are signed: 2^31 or more reads no records.
size_t signedCount(uint32_t word) {
    const int32_t count = static_cast<int32_t>(word);
    return count > 0 ? static_cast<size_t>(count) : 0;
}

uint16_t vertexIndex(const BoundedReader& block, size_t at) {
    uint16_t field = 0;
    block.readU16(at, field);
    return static_cast<uint16_t>(field >> 3);  // the field is a byte offset into the list
}

bool checkVertexReferences(const BoundedReader& block, const Group& group, size_t vertexCount,
                           std::string* error) {
    for (size_t r = 0; r < group.count; ++r) {
        const size_t at = group.start + r * group.recordBytes;
        for (int k = 0; k < group.corners; ++k) {
            const uint16_t index = vertexIndex(block, at + 2 * static_cast<size_t>(k));
            if (index >= vertexCount) {
                return fail(error, "%s %zu refers to vertex %u but the block has %zu vertices",
                            group.name, r, index, vertexCount);
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

    uint32_t word = 0;
    // Only the low 8 bits of the textured-triangle word are its count.
    if (!readCountWord(block, p, layout.texturedTriangles, word, error) ||
        !measureGroup(block, p, word & 0xFFu, layout.texturedTriangles, error)) {
        return false;
    }
    Group* const wholeWordGroups[] = {&layout.texturedQuads, &layout.shadedTriangles,
                                      &layout.shadedQuads};
    for (Group* group : wholeWordGroups) {
        if (!readCountWord(block, p, *group, word, error) ||
            !measureGroup(block, p, signedCount(word), *group, error)) {
            return false;
        }
    }
    const Group* const groups[] = {&layout.texturedTriangles, &layout.texturedQuads,
                                   &layout.shadedTriangles, &layout.shadedQuads};
    for (const Group* group : groups) {
        if (!checkVertexReferences(block, *group, vertexCount, error)) return false;
    }
    return true;
}

Vec3 vertexAt(const BoundedReader& block, uint16_t index) {
    const size_t at = 4 + kVertexBytes * index;
    int16_t x = 0, y = 0, z = 0;
    block.readI16(at, x);
    block.readI16(at + 2, y);
    block.readI16(at + 4, z);
    return Vec3(x, y, z);
}

uint8_t byteAt(const BoundedReader& block, size_t at) {
    uint8_t value = 0;
    block.readU8(at, value);
    return value;
}

Color3 colorAt(const BoundedReader& block, size_t at) {
    return Color3(byteAt(block, at), byteAt(block, at + 1), byteAt(block, at + 2));
}

}  // namespace

bool PartMesh::parsePartMesh(const BoundedReader& block, std::string* error) {
    MeshLayout layout;
    if (!measureMeshBlock(block, layout, error)) return false;
    polygons.reserve(polygons.size() + layout.polygonCount());

    // Textured corners take t = v + row offset as an integer sum (up to 510, not wrapped).
    for (size_t r = 0; r < layout.texturedTriangles.count; ++r) {
        const size_t p = layout.texturedTriangles.start + r * kTexturedTriangleBytes;
        const int rowOffset = byteAt(block, p + 10);
        const size_t uvAt[3] = {p + 8, p + 12, p + 14};
        beginPolygon();
        for (int k = 0; k < 3; ++k) {
            addTexturedVertex(vertexAt(block, vertexIndex(block, p + 2 * k)),
                              byteAt(block, uvAt[k]), byteAt(block, uvAt[k] + 1) + rowOffset);
        }
        endPolygon();
    }
    for (size_t r = 0; r < layout.texturedQuads.count; ++r) {
        const size_t p = layout.texturedQuads.start + r * kTexturedQuadBytes;
        const int rowOffset = byteAt(block, p + 10);
        const size_t uvAt[4] = {p + 8, p + 12, p + 14, p + 16};
        beginPolygon();
        for (int j : kQuadCornerOrder) {
            addTexturedVertex(vertexAt(block, vertexIndex(block, p + 2 * j)),
                              byteAt(block, uvAt[j]), byteAt(block, uvAt[j] + 1) + rowOffset);
        }
        endPolygon();
    }
    for (size_t r = 0; r < layout.shadedTriangles.count; ++r) {
        const size_t p = layout.shadedTriangles.start + r * kShadedTriangleBytes;
        beginPolygon();
        for (int k = 0; k < 3; ++k) {
            addColoredVertex(vertexAt(block, vertexIndex(block, p + 2 * k)),
                             colorAt(block, p + 8 + 4 * k));
        }
        endPolygon();
    }
    for (size_t r = 0; r < layout.shadedQuads.count; ++r) {
        const size_t p = layout.shadedQuads.start + r * kShadedQuadBytes;
        beginPolygon();
        for (int j : kQuadCornerOrder) {
            addColoredVertex(vertexAt(block, vertexIndex(block, p + 2 * j)),
                             colorAt(block, p + 8 + 4 * j));
        }
        endPolygon();
    }
    return true;
}
