#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/archive.h"
#include "io/result.h"

// One stretch of the old archive replaced by new bytes where it stands, or (length 0) new bytes
// inserted at that place.
struct ArchiveSplice {
    size_t at = 0, length = 0;
    std::vector<uint8_t> bytes;
};

// A 32-bit little-endian word of the old archive that holds an offset counted from base. A word
// of 0 means none and stays 0; any other moves with the bytes it points at, or, when landsOn
// names a splice, points where that splice's bytes land.
struct OffsetField {
    size_t at = 0;
    size_t base = 0;
    int landsOn = -1;  // an index into ArchiveEdits::splices, or -1
};

// What a rewrite changes in an archive; every byte it does not name stays as it was.
struct ArchiveEdits {
    std::vector<ArchiveSplice> splices;  // not overlapping one another
    std::vector<OffsetField> offsets;    // none inside a replaced stretch
};

// The archive's bytes with the edits applied: the splices in the order of their places (at one
// place in the order given), then every offset field written again. Code 1 with the line of why
// when the edits do not fit the bytes (a splice past the end, splices that overlap, a field in a
// replaced stretch or past the end) or the archive would grow past 4 GiB.
Result<> applyArchiveEdits(const std::vector<uint8_t>& bytes, const ArchiveEdits& edits,
                         std::vector<uint8_t>& out);

// The words of an archive that hold offsets: the entry table's, in entry order, then each bone
// record's mesh offset (from the section's start), in record order.
std::vector<OffsetField> archiveOffsetFields(const Archive& archive);
