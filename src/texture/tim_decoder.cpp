#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "console/console.h"
#include "model/bounded_reader.h"
#include "texture/texture_page.h"
#include "texture/tim_image.h"

namespace {

struct Rgb {
    uint8_t red, green, blue;
};

// A 5-bit channel n becomes 8 n + 7, so 0 gives 7 and 31 gives 255.
uint8_t expandChannel(unsigned value) {
    return static_cast<uint8_t>(8 * (value & 31u) + 7);
}

// Red in bits 0-4, green in 5-9, blue in 10-14; bit 15 is not used.
Rgb paletteColour(uint16_t entry) {
    return {expandChannel(entry), expandChannel(entry >> 5u), expandChannel(entry >> 10u)};
}

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
    const size_t size = entry.size();
    uint32_t id = 0, flags = 0;
    if (!entry.readU32(TimImage::kIdOffset, id) || !entry.readU32(TimImage::kFlagsOffset, flags)) {
        reportTruncated(size, TimImage::kFlagsOffset + 4);
        return false;
    }
    if (id != TimImage::kId || flags != TimImage::kFlags4BitClut) {
        printHeaderError(entry);
        return false;
    }

    uint32_t clutLength = 0;
    if (!entry.readU32(TimImage::kClutLengthOffset, clutLength)) {
        reportTruncated(size, TimImage::kClutLengthOffset + 4);
        return false;
    }
    if (clutLength < TimImage::kMinClutLength || clutLength > TimImage::kMaxClutLength) {
        consoleProblem("Error : palette size [%8x]\n", clutLength);
        return false;
    }

    uint8_t paletteCount = 0;
    if (!entry.readU8(TimImage::kPaletteCountOffset, paletteCount)) {
        reportTruncated(size, TimImage::kPalettesOffset);
        return false;
    }
    image.paletteCount = paletteCount;
    image.imageStart = TimImage::kPalettesOffset + TimImage::kPaletteBytes * paletteCount;
    uint16_t widthUnits = 0, rows = 0;
    if (!entry.readU16(image.imageStart + TimImage::kImageWidthOffset, widthUnits) ||
        !entry.readU16(image.imageStart + TimImage::kImageHeightOffset, rows)) {
        reportTruncated(size, image.pixelStart());
        return false;
    }
    image.width = TimImage::kPixelsPerWidthUnit * widthUnits;
    image.height = rows;
    return true;
}

std::vector<Rgb> readPalettes(const BoundedReader& entry, int paletteCount) {
    std::vector<Rgb> colours(TimImage::kPaletteEntries * static_cast<size_t>(paletteCount));
    for (size_t i = 0; i < colours.size(); ++i) {
        uint16_t value = 0;
        entry.readU16(TimImage::kPalettesOffset + 2 * i, value);
        colours[i] = paletteColour(value);
    }
    return colours;
}

using PagePixels = decltype(TexturePage::pixels);

// Decodes the whole rows the entry holds into the page, each through copies palettes stacked
// one image height apart; rows and columns from 256 on land outside the page for every copy.
// Returns how many rows the entry holds.
size_t decodeRows(const BoundedReader& entry, const TimImage& image,
                  const std::vector<Rgb>& colours, int copies, PagePixels& pixels) {
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
            const Rgb& colour = colours[TimImage::kPaletteEntries * m + index];
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
    const std::vector<Rgb> colours = readPalettes(entry, image.paletteCount);
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
