#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_problem.h"
#include "archive/mesh_block.h"
#include "tim/tim_entry.h"

// The texture scan keeps its offsets in one small table and refuses archives with this many
// entries or more.
constexpr uint32_t kMaxTextureEntries = 256;

// Where an archive keeps its skeleton: entry 0 holds the skeleton section, whose bone records
// (8 bytes each: parent, length, mesh offset) start 12 bytes in; entry 2, when present, holds
// the angle table, one 16-bit angle per bone from 4 bytes in.
constexpr size_t kSkeletonEntry = 0;
constexpr size_t kAngleTableEntry = 2;
constexpr size_t kRecordsStart = 12;
constexpr size_t kRecordBytes = 8;
constexpr size_t kAnglesStart = 4;

// A table angle in radians: a full turn is 65535.
inline float boneAngleRadians(int16_t angle) {
    return static_cast<float>(angle / 65535.0 * 6.283184);
}

// One entry of the container's table, as stored.
struct ArchiveEntry {
    uint32_t offset = 0;
    uint64_t end = 0;     // the next entry's offset, or the archive's end for the last one
    bool inside = false;  // offset <= end <= the archive's size
};

// An entry that the texture scan takes for an image: every entry but the last whose first word
// is the TIM id, of a table the scan accepts.
struct ImageEntry {
    uint32_t entry = 0;
    uint32_t start = 0;
    uint64_t end = 0;
    bool inside = false;  // [start, end) lies in the archive; else it is not decoded
    TimEntryCheck check;  // when inside
};

// One bone's record, with the angle the table gives it (0 where it has none).
struct BoneRecord {
    size_t at = 0;  // the record's offset in the archive
    uint16_t parent = 0;
    int16_t length = 0;
    uint32_t meshOffset = 0;  // from the section's start; 0 for none
    int16_t angle = 0;
    int block = -1;  // its mesh block in Archive::blocks, or -1 (none, or unreadable)
};

// A mesh block that one or more bone records point at.
struct MeshBlock {
    size_t start = 0;  // in the archive
    MeshBlockLayout layout;
    size_t end() const { return start + layout.end; }
};

// One reading of an archive: the table, the images, the skeleton section with its records and
// mesh blocks, the angle table, and everything found wrong. Offsets count from the archive's
// start; the bytes are not kept, so the caller keeps them beside.
struct Archive {
    uint64_t size = 0;
    uint32_t declaredEntries = 0;       // N as the file states it (0 when it has no count word)
    std::vector<ArchiveEntry> entries;  // those whose offset word the file holds, up to N
    bool imageTableAccepted = false;    // fewer than 256 entries, all offsets in the file
    std::vector<ImageEntry> images;

    bool skeletonRead = false;  // the section and its records could be read
    size_t sectionStart = 0;
    int32_t declaredBones = 0;
    bool hasAngleTable = false;
    uint32_t angleTableOffset = 0;
    std::vector<BoneRecord> bones;
    std::vector<MeshBlock> blocks;  // in the order the records first name them

    std::vector<ArchiveProblem> problems;  // in the order the loaders meet them

    // The texture scan's result: -1 when the table is refused or the last image fails.
    int texturesResult() const;
    // The skeleton loader's result: -1 when the section or its records cannot be read.
    int skeletonResult() const { return skeletonRead ? 0 : -1; }
    // A file still being written, or truncated: its table promises more than it holds.
    bool cutShort() const;
};

Archive parseArchive(const uint8_t* data, size_t size);
inline Archive parseArchive(const std::vector<uint8_t>& bytes) {
    return parseArchive(bytes.data(), bytes.size());
}

// The lines the texture loader and the skeleton loader print for the archive, in their order,
// progress lines among the problems.
std::vector<std::string> textureLoaderLines(const Archive& archive);
std::vector<std::string> skeletonLoaderLines(const Archive& archive);
