#pragma once

#include <cstddef>
#include <cstdint>

#include "scan/random_access.h"

// Whether bytes hold a model archive from offset on. Stricter than the loaders, which read
// whatever they are given: the entry count is sane (1 .. 255, and at least 3), the offsets
// ascend and lie inside the bytes after the table, entry 0's bone count is 1 or more and its
// records fit the entry, every parent is one that can attach (0, or a bone before it), each
// mesh offset lies inside entry 0, and the angle table (entry 2) is long enough for every bone.
// Random bytes, text, and an archive-like header with an absurd count are not archives.
struct ArchiveShape {
    uint32_t entries = 0;
    uint32_t bones = 0;
    uint32_t textures = 0;        // entries but the last whose first word is the TIM id
    uint64_t lastEntryStart = 0;  // from the archive's start
    uint64_t tableEnd = 0;        // the largest offset any entry but the last ends at
};

// limit: the offset in bytes (counted like offset, from the start of bytes) that the archive may
// not reach past: the container's end. The last entry is taken to run up to it. Offsets must
// ascend strictly. Only the table, entry 0's count and records, and the first word of each entry
// are read.
bool plausibleArchive(const RandomAccess& bytes, uint64_t offset, uint64_t limit,
                      ArchiveShape& shape);
