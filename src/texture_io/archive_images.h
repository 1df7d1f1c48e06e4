#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"
#include "tim/tim_image.h"

// The texture images of an archive held in memory, found as the texture scan finds them (every
// entry but the last whose first word is the TIM id) and checked as the decoder checks them.
struct ArchiveImage {
    uint32_t entry = 0;   // index in the archive's table
    uint32_t offset = 0;  // of the entry, from the start of the archive
    uint32_t size = 0;    // of the entry
    TimImage header;
    size_t pixelBytesNeeded = 0;  // the header's width / 2 * height
    size_t pixelBytesHeld = 0;    // what the entry holds of them

    bool isShort() const { return pixelBytesHeld < pixelBytesNeeded; }
    size_t pixelOffset() const { return offset + header.pixelStart(); }  // in the archive
    size_t paletteOffset(int m) const { return offset + TimImage::paletteStart(m); }
};

// A texture entry that is not taken out, and why.
struct SkippedEntry {
    uint32_t entry = 0;
    uint32_t offset = 0;
    std::string reason;
};

struct ArchiveImages {
    std::vector<ArchiveImage> images;
    std::vector<SkippedEntry> skipped;

    const ArchiveImage* find(uint32_t entry) const;
};

// Lists the images of the archive bytes. An image with no palette, no pixel, or larger than a
// texture file can be read back (kMaxPngWidth x kMaxPngHeight) is skipped with its reason.
// Fails with the reason when the table itself is refused.
Result<ArchiveImages> listArchiveImages(const uint8_t* archive, size_t size);
