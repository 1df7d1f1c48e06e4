#pragma once

#include <array>
#include <cstdint>
#include <optional>

// What a reading of an archive found wrong: what it is, where it lies and the numbers that say
// so. Its line is made where it is printed, from the one table in archive/problem_table.h.
enum class ProblemCode {
    // The texture scan: the table, then one entry.
    TooManyEntries,
    OffsetTableOutside,
    TextureEntryOutside,
    TimTruncated,
    TimHeader,
    TimPaletteSize,
    TimWidth,          // a warning: the image is still decoded
    TimHeightPalette,  // a warning: one palette copy is decoded
    TimPixelsShort,    // the rows the entry holds are decoded
    // The skeleton loader: the section, then one bone.
    EntryTableShort,
    SkeletonOutside,
    BoneRecordsShort,
    NoAngleTable,
    AngleTableShort,
    MeshBlockOutside,
    MeshBlockEndsEarly,  // before its vertex-list length or a polygon count
    MeshRecordsOutside,  // the vertex list or a group's records run past the block
    MeshVertexOutside,   // a polygon refers to a vertex the list does not hold
};

enum class ProblemSource { Textures, Skeleton };

struct ArchiveProblem {
    ProblemCode code;
    std::optional<uint32_t> entry;   // the texture entry it concerns
    std::optional<uint32_t> bone;    // the bone (0-based) it concerns
    std::optional<uint64_t> offset;  // where in the archive it lies
    // The numbers its line gives, in the table's order for the code; signed ones are stored as
    // their two's complement.
    using Values = std::array<uint64_t, 8>;
    Values values{};
};
