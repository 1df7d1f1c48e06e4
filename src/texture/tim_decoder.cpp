#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "console/console.h"
#include "io/bounded_reader.h"
#include "texture/texture_page.h"
#include "texture/tim_image.h"

namespace {

void printHeaderError(const BoundedReader& entry) {
    char bytes[8 * 3 + 1] = "";
    for (size_t i = 0; i < 8; ++i) {
        uint8_t byte = 0;
        entry.readU8(i, byte);
        std::snprintf(bytes + std::strlen(bytes), sizeof bytes - std::strlen(bytes), "%x ", byte);
    }
    consoleProblem("Header error. : Texture data. [%s]\n", bytes);
}

// An entry that ends before its own fields say: one line, and the entry counts as failed.
int reportTruncated(size_t size, uint64_t needed) {
    consoleProblem("Error : texture data truncated. [%zu of %" PRIu64 " bytes]\n", size, needed);
    return -1;
}

// Reads the header from the id to the image block's size into image. A header the decoder
// cannot take, or one the entry cuts short, gets its one line and false.
bool readHeader(const BoundedReader& entry, TimImage& image) {
    uint64_t needed = 0;
    switch (checkTimHeader(entry, image, needed)) {
        case TimHeaderCheck::Accepted:
            return true;
        case TimHeaderCheck::Truncated:
            reportTruncated(entry.size(), needed);
            return false;
        case TimHeaderCheck::BadHeader:
            printHeaderError(entry);
            return false;
        case TimHeaderCheck::BadPaletteSize:
            consoleProblem("Error : palette size [%8x]\n", image.clutLength);
            return false;
    }
    return false;
}

std::vector<TimColour> readPalettes(const BoundedReader& entry, int paletteCount) {
    std::vector<TimColour> colours(TimImage::kPaletteEntries * static_cast<size_t>(paletteCount));
    for (size_t i = 0; i < colours.size(); ++i) {
        uint16_t value = 0;
        entry.readU16(TimImage::kPalettesOffset + 2 * i, value);
        colours[i] = timColour(value);
    }
    return colours;
}

using PagePixels = decltype(TexturePage::pixels);

// Decodes the whole rows the entry holds into the page, each through copies palettes stacked
// one image height apart; rows and columns from 256 on land outside the page for every copy.
// Returns how many rows the entry holds.
size_t decodeRows(const BoundedReader& entry, const TimImage& image,
                  const std::vector<TimColour>& colours, int copies, PagePixels& pixels) {
    const size_t rowBytes = image.rowBytes();
    const size_t available = entry.size() - image.pixelStart();
    const size_t rowsPresent =
        rowBytes == 0 ? image.height : std::min<size_t>(image.height, available / rowBytes);
    const size_t rowsStored = std::min<size_t>(rowsPresent, kTexturePageSize);
    const size_t bytesStored = std::min<size_t>(rowBytes, kTexturePageSize / 2);

    auto store = [&](size_t column, size_t row, unsigned index) {
        for (int m = 0; m < copies; ++m) {
            const size_t y = static_cast<size_t>(m) * image.height + row;
            if (y >= kTexturePageSize) break;
            const TimColour& colour = colours[TimImage::kPaletteEntries * m + index];
            uint8_t* pixel = &pixels[4 * (kTexturePageSize * y + column)];
            pixel[0] = colour.red;
            pixel[1] = colour.green;
            pixel[2] = colour.blue;
            pixel[3] = index == 0 ? 0 : 255;  // alpha comes from the index, not the colour
        }
    };
    for (size_t row = 0; row < rowsStored; ++row) {
        const BoundedReader pixelRow = entry.slice(image.pixelStart() + row * rowBytes, rowBytes);
        for (size_t i = 0; i < bytesStored; ++i) {
            uint8_t pair = 0;
            pixelRow.readU8(i, pair);
            store(2 * i, row, pair & 0x0Fu);  // the low nibble is the left pixel
            store(2 * i + 1, row, pair >> 4u);
        }
    }
    return rowsPresent;
}

}  // namespace

int TexturePage::decodeTim(const uint8_t* data, size_t size) {
    const BoundedReader entry(data, size);
    TimImage image;
    if (!readHeader(entry, image)) return -1;
    const std::vector<TimColour> colours = readPalettes(entry, image.paletteCount);
    width = image.width;
    height = image.height;

    if (image.width > kTexturePageSize) {
        consoleProblem("Warning : texture width. [%d]\n", image.width);
    }
    int copies = image.paletteCount;
    if (image.height * copies > kTexturePageSize) {
        consoleProblem("Warning : texture height or palette. [%d,%d]\n", image.height, copies);
        copies = 1;  // only the copy through palette 0
    }

    // Whole rows that the entry holds are decoded; a short pixel block is reported after them.
    const size_t rowsPresent = decodeRows(entry, image, colours, copies, pixels);
    if (rowsPresent < static_cast<size_t>(image.height)) {
        return reportTruncated(size, image.pixelStart() + static_cast<uint64_t>(image.rowBytes()) *
                                                              static_cast<uint64_t>(image.height));
    }
    ++decodedImages;
    return 0;
}
