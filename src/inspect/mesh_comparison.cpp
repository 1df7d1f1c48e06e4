#include "inspect/mesh_comparison.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "io/byte_order.h"

namespace {

constexpr size_t kValuesPerCorner = 3;
constexpr size_t kMostCorners = 4;

// What the loader reads of one record: each corner's vertex, then its (u, v + row offset) or
// (red, green, blue).
struct ReadRecord {
    std::array<uint16_t, kMostCorners*(1 + kValuesPerCorner)> values{};
    bool operator==(const ReadRecord& o) const { return values == o.values; }
    uint16_t vertex(size_t corner) const { return values[corner]; }
    const uint16_t* attribute(size_t corner) const {
        return &values[kMostCorners + kValuesPerCorner * corner];
    }
};

struct KindRecords {
    const uint8_t* first = nullptr;
    size_t count = 0;
};

KindRecords recordsOf(const MeshBlockBytes& block, size_t kind) {
    if (!block.layout) return {};
    const MeshGroup& group = block.layout->groups[kind];
    return {block.data + group.start, group.count};
}

ReadRecord readRecord(const PolygonKind& kind, const uint8_t* record) {
    ReadRecord read;
    for (size_t corner = 0; corner < kind.corners; ++corner) {
        read.values[corner] = vertexIndexOf(readLE16(record + 2 * corner));
        const uint8_t* attribute = record + kind.attributeAt[corner];
        uint16_t* out = &read.values[kMostCorners + kValuesPerCorner * corner];
        if (kind.textured) {
            out[0] = attribute[0];
            out[1] = static_cast<uint16_t>(attribute[1] + record[kRowOffsetAt]);
        } else {
            for (size_t c = 0; c < 3; ++c) out[c] = attribute[c];
        }
    }
    return read;
}

// The bytes of a record of the kind that no corner reads.
std::vector<size_t> unreadBytesOf(const PolygonKind& kind) {
    std::vector<bool> read(kind.recordBytes, false);
    for (size_t corner = 0; corner < kind.corners; ++corner) {
        read[2 * corner] = read[2 * corner + 1] = true;
        const size_t width = kind.textured ? 2 : 3;
        for (size_t c = 0; c < width; ++c) read[kind.attributeAt[corner] + c] = true;
    }
    if (kind.textured) read[kRowOffsetAt] = true;
    std::vector<size_t> unread;
    for (size_t k = 0; k < kind.recordBytes; ++k) {
        if (!read[k]) unread.push_back(k);
    }
    return unread;
}

void countChangedPair(const PolygonKind& kind, const ReadRecord& a, const ReadRecord& b,
                      PolygonChanges& changes) {
    ++changes.changed;
    bool uvs = false;
    for (size_t corner = 0; corner < kind.corners; ++corner) {
        const bool differs =
            !std::equal(a.attribute(corner), a.attribute(corner) + 3, b.attribute(corner));
        if (!differs) continue;
        if (kind.textured) {
            uvs = true;
        } else {
            ++changes.coloursChanged;
        }
    }
    if (uvs) ++changes.uvsChanged;
}

size_t differingBytes(const uint8_t* a, const uint8_t* b, const std::vector<size_t>& at) {
    size_t count = 0;
    for (size_t k : at) count += a[k] != b[k] ? 1 : 0;
    return count;
}

// One kind of polygon: the records aligned, the gaps between aligned runs paired in order as
// changed, the rest of a gap added or removed.
PolygonChanges compareKind(size_t kindIndex, const KindRecords& a, const KindRecords& b,
                           AlignmentBudget& budget, size_t& padding) {
    const PolygonKind& kind = kPolygonKinds[kindIndex];
    std::vector<ReadRecord> readA(a.count), readB(b.count);
    for (size_t i = 0; i < a.count; ++i)
        readA[i] = readRecord(kind, a.first + i * kind.recordBytes);
    for (size_t j = 0; j < b.count; ++j)
        readB[j] = readRecord(kind, b.first + j * kind.recordBytes);
    const std::vector<std::pair<size_t, size_t>> equal = alignEqualItems(
        a.count, b.count, [&](size_t i, size_t j) { return readA[i] == readB[j]; }, budget);

    const std::vector<size_t> unread = unreadBytesOf(kind);
    auto paddingOf = [&](size_t i, size_t j) {
        padding +=
            differingBytes(a.first + i * kind.recordBytes, b.first + j * kind.recordBytes, unread);
    };
    PolygonChanges changes;
    size_t i = 0, j = 0;
    auto closeGap = [&](size_t untilA, size_t untilB) {
        for (; i < untilA && j < untilB; ++i, ++j) {
            countChangedPair(kind, readA[i], readB[j], changes);
            paddingOf(i, j);
        }
        changes.removed += untilA - i;
        changes.added += untilB - j;
        i = untilA;
        j = untilB;
    };
    for (const auto& [matchedA, matchedB] : equal) {
        closeGap(matchedA, matchedB);
        paddingOf(i, j);
        ++i;
        ++j;
    }
    closeGap(a.count, b.count);
    return changes;
}

struct VertexAt {
    int16_t x, y, z;
};

VertexAt vertexOf(const MeshBlockBytes& block, size_t v) {
    const uint8_t* at = block.data + 4 + kMeshVertexBytes * v;
    return {static_cast<int16_t>(readLE16(at)), static_cast<int16_t>(readLE16(at + 2)),
            static_cast<int16_t>(readLE16(at + 4))};
}

void compareVertices(const MeshBlockBytes& a, const MeshBlockBytes& b, MeshBlockComparison& out) {
    const size_t countA = a.layout ? a.layout->vertexCount : 0;
    const size_t countB = b.layout ? b.layout->vertexCount : 0;
    const size_t common = std::min(countA, countB);
    const std::vector<size_t> padding{6, 7};
    for (size_t v = 0; v < common; ++v) {
        const VertexAt p = vertexOf(a, v), q = vertexOf(b, v);
        const double dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
        if (dx != 0 || dy != 0 || dz != 0) {
            ++out.mesh.verticesMoved;
            out.mesh.maxMove = std::max(out.mesh.maxMove, std::sqrt(dx * dx + dy * dy + dz * dz));
        }
        out.vertexPadding += differingBytes(a.data + 4 + kMeshVertexBytes * v,
                                            b.data + 4 + kMeshVertexBytes * v, padding);
    }
    out.mesh.verticesRemoved = countA - common;
    out.mesh.verticesAdded = countB - common;
}

}  // namespace

MeshBlockComparison compareMeshBlocks(const MeshBlockBytes& a, const MeshBlockBytes& b,
                                      AlignmentBudget& budget) {
    MeshBlockComparison out;
    compareVertices(a, b, out);
    for (size_t kind = 0; kind < kPolygonKindCount; ++kind) {
        out.mesh.kinds[kind] =
            compareKind(kind, recordsOf(a, kind), recordsOf(b, kind), budget, out.polygonPadding);
    }
    return out;
}
