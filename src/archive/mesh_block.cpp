#include "archive/mesh_block.h"

#include <cstdio>

#include "io/formatted.h"

const PolygonKind kPolygonKinds[kPolygonKindCount] = {
    {"textured triangle", 16, 3, true, true, {0, 1, 2, 0}, {8, 12, 14, 0}},
    {"textured quad", 20, 4, true, false, {0, 1, 3, 2}, {8, 12, 14, 16}},
    {"shaded triangle", 20, 3, false, false, {0, 1, 2, 0}, {8, 12, 16, 0}},
    {"shaded quad", 24, 4, false, false, {0, 1, 3, 2}, {8, 12, 16, 20}},
};

namespace {

Result<> fail(MeshBlockFault* out, MeshBlockFailure code, size_t kind, uint64_t a = 0,
              uint64_t b = 0, uint64_t c = 0) {
    const MeshBlockFault fault{code, kind, {a, b, c}};
    if (out) *out = fault;
    return Result<>::failed(code, meshBlockFaultText(fault));
}

// The counts of the last three groups are signed: 2^31 or more reads no records.
size_t countOf(const PolygonKind& kind, uint32_t word) {
    if (kind.countIsLowByte) return word & 0xFFu;
    const int32_t count = static_cast<int32_t>(word);
    return count > 0 ? static_cast<size_t>(count) : 0;
}

// Reads the group's opening word at p and checks that its records fit in the block; p moves
// past them.
Result<> measureGroup(const BoundedReader& block, size_t& p, size_t g, MeshGroup& group,
                      MeshBlockFault* fault) {
    const PolygonKind& kind = kPolygonKinds[g];
    uint32_t word = 0;
    if (!block.readU32(p, word)) return fail(fault, kMeshBlockEndsEarly, g);
    group.countAt = p;
    p += 4;
    const size_t count = countOf(kind, word);
    const size_t left = block.size() - p;
    if (count > left / kind.recordBytes) {
        return fail(fault, kMeshRecordsOutside, g, count, count * kind.recordBytes, left);
    }
    group.start = p;
    group.count = count;
    p += count * kind.recordBytes;
    return {};
}

Result<> checkVertexReferences(const BoundedReader& block, size_t g, const MeshGroup& group,
                               size_t vertexCount, MeshBlockFault* fault) {
    const PolygonKind& kind = kPolygonKinds[g];
    for (size_t r = 0; r < group.count; ++r) {
        const size_t record = group.start + r * kind.recordBytes;
        for (size_t k = 0; k < kind.corners; ++k) {
            uint16_t field = 0;
            block.readU16(record + 2 * k, field);
            const uint16_t index = vertexIndexOf(field);
            if (index >= vertexCount) {
                return fail(fault, kMeshVertexOutside, g, r, index, vertexCount);
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

std::string meshBlockFaultText(const MeshBlockFault& fault) {
    const uint64_t* v = fault.values;
    if (fault.kind >= kPolygonKindCount) {
        if (fault.code == kMeshBlockEndsEarly) {
            return "the mesh block ends before its vertex-list length";
        }
        return formatted(
            "the vertex list of %u bytes runs past the end of the mesh block (%zu "
            "bytes)",
            static_cast<uint32_t>(v[0]), static_cast<size_t>(v[1]));
    }
    const char* name = kPolygonKinds[fault.kind].name;
    switch (fault.code) {
        case kMeshBlockEndsEarly:
            return formatted("the mesh block ends before the %s count", name);
        case kMeshRecordsOutside:
            return formatted("%zu %ss need %zu bytes but the mesh block has %zu left",
                             static_cast<size_t>(v[0]), name, static_cast<size_t>(v[1]),
                             static_cast<size_t>(v[2]));
        case kMeshVertexOutside:
            break;
    }
    return formatted("%s %zu refers to vertex %u but the block has %zu vertices", name,
                     static_cast<size_t>(v[0]), static_cast<unsigned>(v[1]),
                     static_cast<size_t>(v[2]));
}

Result<> measureMeshBlock(const BoundedReader& block, MeshBlockLayout& layout,
                          MeshBlockFault* fault) {
    uint32_t length = 0;
    if (!block.readU32(0, length)) return fail(fault, kMeshBlockEndsEarly, kPolygonKindCount);
    // Only whole vertices count; the next group follows the last whole vertex.
    const size_t vertexCount = length / kMeshVertexBytes;
    size_t p = 4;
    if (vertexCount > (block.size() - p) / kMeshVertexBytes) {
        return fail(fault, kMeshRecordsOutside, kPolygonKindCount, length, block.size());
    }
    layout.vertexCount = vertexCount;
    p += vertexCount * kMeshVertexBytes;
    for (size_t g = 0; g < kPolygonKindCount; ++g) {
        Result<> measured = measureGroup(block, p, g, layout.groups[g], fault);
        if (!measured.ok()) return measured;
    }
    for (size_t g = 0; g < kPolygonKindCount; ++g) {
        Result<> checked = checkVertexReferences(block, g, layout.groups[g], vertexCount, fault);
        if (!checked.ok()) return checked;
    }
    layout.end = p;
    return {};
}
