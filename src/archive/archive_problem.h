#pragma once

#include <cstdint>
#include <string>

// What a reading of an archive found wrong. Each problem keeps the line the loader that meets it
// prints, word for word, so that every caller reports it alike or passes it on.
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
    MeshBlockBad,
};

enum class ProblemSource { Textures, Skeleton };

struct ArchiveProblem {
    ProblemCode code;
    ProblemSource source;
    int64_t entry = -1;  // the texture entry it concerns, or -1
    int64_t bone = -1;   // the bone (0-based) it concerns, or -1
    std::string line;    // the loader's line, with its line end
};
