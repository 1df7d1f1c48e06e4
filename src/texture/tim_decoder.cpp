#include <algorithm>
#include <vector>

#include "io/bounded_reader.h"
#include "texture/texture_page.h"
#include "tim/tim_entry.h"
#include "tim/tim_format.h"

namespace {

// Every palette's colours, one after another; the alpha timRgba gives is not used here.
std::vector<TimRgba> readPalettes(const BoundedReader& entry, int paletteCount) {
    std::vector<TimRgba> colours(TimImage::kPaletteEntries * static_cast<size_t>(paletteCount));
    for (size_t i = 0; i < colours.size(); ++i) {
        uint16_t value = 0;
        entry.readU16(TimImage::paletteStart(0) + 2 * i, value);
        colours[i] = timRgba(value);
    }
    return colours;
}

using PagePixels = decltype(TexturePage::pixels);

// Decodes the whole rows the entry holds into the page, each through copies palettes stacked
// one image height apart; rows and columns from 256 on land outside the page for every copy.
void decodeRows(const BoundedReader& entry, const TimEntryCheck& check,
                const std::vector<TimRgba>& colours, PagePixels& pixels) {
    const TimImage& image = check.image;
    const size_t rowBytes = image.rowBytes();
    const size_t rowsStored = std::min<size_t>(check.rowsHeld, kTexturePageSize);
    const size_t bytesStored = std::min<size_t>(rowBytes, kTexturePageSize / 2);

    auto store = [&](size_t column, size_t row, unsigned index) {
        for (int m = 0; m < check.copies; ++m) {
            const size_t y = static_cast<size_t>(m) * image.height + row;
            if (y >= kTexturePageSize) break;
            const TimRgba& colour = colours[TimImage::kPaletteEntries * m + index];
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
}

}  // namespace

void TexturePage::decodeChecked(const BoundedReader& entry, const TimEntryCheck& check) {
    if (check.header != TimHeaderCheck::Accepted) return;
    width = check.image.width;
    height = check.image.height;
    decodeRows(entry, check, readPalettes(entry, check.image.paletteCount), pixels);
    if (!check.failed) ++decodedImages;
}
