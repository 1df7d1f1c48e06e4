#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "io/bounded_reader.h"
#include "io/result.h"

// The layout of one mesh block: a vertex list (a byte length, then 8-byte vertices), then four
// groups of polygon records (textured triangles, textured quads, shaded triangles, shaded quads),
// each opened by a 32-bit word. The four kinds differ only in the numbers of this table.
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

constexpr size_t kPolygonKindCount = 4;
extern const PolygonKind kPolygonKinds[kPolygonKindCount];

constexpr size_t kMeshVertexBytes = 8;
constexpr size_t kRowOffsetAt = 10;  // textured records: added to the v of every corner

// A vertex field is a byte offset into the vertex list, so the index is the field shifted right
// by 3 and no record can reach a vertex past this many.
constexpr size_t kReachableVertices = (0xFFFFu >> 3) + 1;
inline uint16_t vertexIndexOf(uint16_t field) {
    return static_cast<uint16_t>(field >> 3);
}

struct MeshGroup {
    size_t countAt = 0;  // the opening word, from the block's start
    size_t start = 0;    // the first record
    size_t count = 0;
};

struct MeshBlockLayout {
    size_t vertexCount = 0;  // whole vertices in the list
    MeshGroup groups[kPolygonKindCount];
    size_t end = 0;  // just after the last record: the block's size as read

    size_t polygonCount() const;
};

// Why a mesh block cannot be read.
enum MeshBlockFailure {
    kMeshBlockEndsEarly = 1,  // before a group's opening word
    kMeshRecordsOutside,      // a group's records or the vertex list run past the block
    kMeshVertexOutside,       // a record refers to a vertex the list does not hold
};

// Why a mesh block cannot be read, with the numbers that say so: for the vertex list, its length
// (and the block's size); for a group, the records' count, bytes needed and bytes left, or the
// record, the vertex it names and the vertices held.
struct MeshBlockFault {
    MeshBlockFailure code = kMeshBlockEndsEarly;
    size_t kind = kPolygonKindCount;  // the polygon kind, or kPolygonKindCount for the vertex list
    uint64_t values[3] = {};
};
std::string meshBlockFaultText(const MeshBlockFault& fault);

// Measures the block that the window starts with and checks it whole: every record inside the
// window, every vertex reference inside the vertex list. A failure's message is the fault's
// text; fault, when given, receives the fault.
Result<> measureMeshBlock(const BoundedReader& block, MeshBlockLayout& layout,
                          MeshBlockFault* fault = nullptr);
