#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "archive/mesh_block.h"

struct Document;

// The side of a comparison that alone holds something.
enum class OnlyIn { Neither, A, B };

// A value that differs, as it stands in A and in B.
template <typename T>
using Changed = std::optional<std::pair<T, T>>;

// One entry of the table, matched by index and compared by content: an entry that only moved
// is the same.
enum class EntryChange { Same, Changed, Added, Removed };
struct EntryComparison {
    uint32_t index = 0;
    EntryChange change = EntryChange::Same;
    std::optional<uint32_t> offsetA, offsetB;  // none on the side without the entry
    uint64_t sizeA = 0, sizeB = 0;             // the content compared
};

// What changed in the polygons of one kind, aligned on a longest common run of equal records.
struct PolygonChanges {
    size_t added = 0, removed = 0, changed = 0;
    size_t coloursChanged = 0;  // corners of changed shaded polygons whose colour changed
    size_t uvsChanged = 0;      // changed textured polygons whose texture coordinates changed

    bool any() const { return added + removed + changed > 0; }
    PolygonChanges& operator+=(const PolygonChanges& o);
};

// One bone's mesh in A against its mesh in B: vertices by index, polygons kind by kind.
struct MeshComparison {
    size_t verticesMoved = 0;
    double maxMove = 0;  // the largest distance a vertex moved, in archive units
    size_t verticesAdded = 0, verticesRemoved = 0;
    PolygonChanges kinds[kPolygonKindCount];

    PolygonChanges totals() const;
    bool differs() const;
};

struct BoneComparison {
    int32_t id = 0;
    OnlyIn only = OnlyIn::Neither;
    Changed<uint16_t> parent;
    Changed<int16_t> length;
    Changed<int16_t> angleRaw;
    Changed<bool> inTree;
    MeshComparison mesh;
};

// One image, matched by entry.
struct TextureComparison {
    uint32_t entry = 0;
    OnlyIn only = OnlyIn::Neither;
    bool headerChanged = false;
    size_t paletteColoursChanged = 0;  // palette colours as the decoder reads them
    size_t pixelsChanged = 0;          // pixels of the rows it holds, or that only one holds
};

// Bytes that no loader reads and that differ, where they lie.
struct UnreadChanges {
    size_t skeletonWords = 0;   // the section's two words before the records, the angle table's
                                // opening word
    size_t vertexPadding = 0;   // each vertex's fourth word
    size_t polygonPadding = 0;  // the bytes of a record no corner reads
    size_t entriesNeverRead = 0;

    size_t total() const {
        return skeletonWords + vertexPadding + polygonPadding + entriesNeverRead;
    }
};

// What differs between two loaded archives, as the loaders read each.
struct ArchiveComparison {
    uint64_t sizeA = 0, sizeB = 0;
    uint64_t bytesDiffering = 0;              // over the common length, plus the difference in size
    std::vector<EntryComparison> entries;     // every entry
    std::vector<BoneComparison> bones;        // only those that differ, by id
    std::vector<TextureComparison> textures;  // only those that differ, by entry
    UnreadChanges unread;

    bool same() const { return bytesDiffering == 0; }
};

ArchiveComparison compareDocuments(const Document& a, const Document& b);
