#include "tim/tim_entry.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "archive/page_size.h"
#include "io/formatted.h"

namespace {

std::string headerBytes(const BoundedReader& entry) {
    std::string bytes;
    for (size_t i = 0; i < 8; ++i) {
        uint8_t byte = 0;
        entry.readU8(i, byte);
        bytes += formatted("%x ", byte);
    }
    return bytes;
}

std::string truncatedLine(size_t size, uint64_t needed) {
    return formatted("Error : texture data truncated. [%zu of %" PRIu64 " bytes]\n", size, needed);
}

}  // namespace

TimEntryCheck checkTimEntry(const BoundedReader& entry) {
    TimEntryCheck check;
    uint64_t needed = 0;
    check.header = checkTimHeader(entry, check.image, needed);
    switch (check.header) {
        case TimHeaderCheck::Accepted:
            break;
        case TimHeaderCheck::Truncated:
            check.lines.push_back({ProblemCode::TimTruncated, truncatedLine(entry.size(), needed)});
            return check;
        case TimHeaderCheck::BadHeader:
            check.lines.push_back({ProblemCode::TimHeader,
                                   "Header error. : Texture data. [" + headerBytes(entry) + "]\n"});
            return check;
        case TimHeaderCheck::BadPaletteSize:
            check.lines.push_back(
                {ProblemCode::TimPaletteSize,
                 formatted("Error : palette size [%8x]\n", check.image.clutLength)});
            return check;
    }
    const TimImage& image = check.image;
    if (image.width > kTexturePageSize) {
        check.lines.push_back(
            {ProblemCode::TimWidth, formatted("Warning : texture width. [%d]\n", image.width)});
    }
    check.copies = image.paletteCount;
    if (image.height * check.copies > kTexturePageSize) {
        check.lines.push_back({ProblemCode::TimHeightPalette,
                               formatted("Warning : texture height or palette. [%d,%d]\n",
                                         image.height, check.copies)});
        check.copies = 1;  // only the copy through palette 0
    }
    const size_t rowBytes = image.rowBytes();
    const size_t available = entry.size() - image.pixelStart();
    check.rowsHeld = rowBytes == 0 ? static_cast<size_t>(image.height)
                                   : std::min<size_t>(image.height, available / rowBytes);
    check.failed = check.rowsHeld < static_cast<size_t>(image.height);
    if (check.failed) {
        check.lines.push_back(
            {ProblemCode::TimPixelsShort,
             truncatedLine(entry.size(),
                           image.pixelStart() + static_cast<uint64_t>(rowBytes) *
                                                    static_cast<uint64_t>(image.height))});
    }
    return check;
}
