#include "archive/mesh_block.h"

#include <cstdarg>
#include <cstdio>

#include "io/formatted.h"

const PolygonKind kPolygonKinds[kPolygonKindCount] = {
    {"textured triangle", 16, 3, true, true, {0, 1, 2, 0}, {8, 12, 14, 0}},
    {"textured quad", 20, 4, true, false, {0, 1, 3, 2}, {8, 12, 14, 16}},
    {"shaded triangle", 20, 3, false, false, {0, 1, 2, 0}, {8, 12, 16, 0}},
    {"shaded quad", 24, 4, false, false, {0, 1, 3, 2}, {8, 12, 16, 20}},
};

namespace {

Result<> fail(MeshBlockFailure code, const char* format, ...) __attribute__((format(printf, 2, 3)));
Result<> fail(MeshBlockFailure code, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formattedList(format, args);
    va_end(args);
    return Result<>::failed(code, std::move(text));
}

// The counts of the last three groups are signed: 2^31 or more reads no records.
size_t countOf(const PolygonKind& kind, uint32_t word) {
    if (kind.countIsLowByte) return word & 0xFFu;
    const int32_t count = static_cast<int32_t>(word);
    return count > 0 ? static_cast<size_t>(count) : 0;
}

// Reads the group's opening word at p and checks that its records fit in the block; p moves
// past them.
Result<> measureGroup(const BoundedReader& block, size_t& p, const PolygonKind& kind,
                    MeshGroup& group) {
    uint32_t word = 0;
    if (!block.readU32(p, word)) {
        return fail(kMeshBlockEndsEarly, "the mesh block ends before the %s count", kind.name);
    }
    group.countAt = p;
    p += 4;
    const size_t count = countOf(kind, word);
    const size_t left = block.size() - p;
    if (count > left / kind.recordBytes) {
        return fail(kMeshRecordsOutside, "%zu %ss need %zu bytes but the mesh block has %zu left",
                    count, kind.name, count * kind.recordBytes, left);
    }
    group.start = p;
    group.count = count;
    p += count * kind.recordBytes;
    return {};
}

Result<> checkVertexReferences(const BoundedReader& block, const PolygonKind& kind,
                             const MeshGroup& group, size_t vertexCount) {
    for (size_t r = 0; r < group.count; ++r) {
        const size_t record = group.start + r * kind.recordBytes;
        for (size_t k = 0; k < kind.corners; ++k) {
            uint16_t field = 0;
            block.readU16(record + 2 * k, field);
            const uint16_t index = vertexIndexOf(field);
            if (index >= vertexCount) {
                return fail(kMeshVertexOutside,
                            "%s %zu refers to vertex %u but the block has %zu vertices", kind.name,
                            r, index, vertexCount);
            }
        }
    }
    return {};
}

}  // namespace

size_t MeshBlockLayout::polygonCount() const {
    size_t total = 0;
    for (const MeshGroup& group : groups) total += group.count;
    return total;
}

Result<> measureMeshBlock(const BoundedReader& block, MeshBlockLayout& layout) {
    uint32_t length = 0;
    if (!block.readU32(0, length)) {
        return fail(kMeshBlockEndsEarly, "the mesh block ends before its vertex-list length");
    }
    // Only whole vertices count; the next group follows the last whole vertex.
    const size_t vertexCount = length / kMeshVertexBytes;
    size_t p = 4;
    if (vertexCount > (block.size() - p) / kMeshVertexBytes) {
        return fail(kMeshRecordsOutside,
                    "the vertex list of %u bytes runs past the end of the mesh block (%zu bytes)",
                    length, block.size());
    }
    layout.vertexCount = vertexCount;
    p += vertexCount * kMeshVertexBytes;
    for (size_t g = 0; g < kPolygonKindCount; ++g) {
        Result<> measured = measureGroup(block, p, kPolygonKinds[g], layout.groups[g]);
        if (!measured.ok()) return measured;
    }
    for (size_t g = 0; g < kPolygonKindCount; ++g) {
        Result<> checked =
            checkVertexReferences(block, kPolygonKinds[g], layout.groups[g], vertexCount);
        if (!checked.ok()) return checked;
    }
    layout.end = p;
    return {};
}
