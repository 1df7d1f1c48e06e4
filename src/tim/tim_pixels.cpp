#include "tim/tim_pixels.h"

#include <algorithm>

#include "io/byte_order.h"

std::vector<uint8_t> readImageIndices(const uint8_t* entry, const TimImage& image,
                                      size_t pixelBytesHeld) {
    const size_t width = static_cast<size_t>(image.width);
    std::vector<uint8_t> indices(width * image.height, 0);
    unpackNibbles(entry + image.pixelStart(), pixelBytesHeld, indices.data());
    return indices;
}

std::vector<TimRgba> readImagePalette(const uint8_t* entry, int m) {
    std::vector<TimRgba> colours(TimImage::kPaletteEntries);
    const uint8_t* entries = entry + TimImage::paletteStart(m);
    for (size_t k = 0; k < colours.size(); ++k) colours[k] = timRgba(readLE16(entries + 2 * k));
    return colours;
}

void writeImageIndices(uint8_t* entry, const TimImage& image, size_t pixelBytesHeld,
                       const std::vector<uint8_t>& indices) {
    packNibbles(indices.data(), pixelBytesHeld, entry + image.pixelStart());
}

void writeImagePalette(uint8_t* entry, int m, const std::vector<TimRgba>& colours) {
    packPalette(entry + TimImage::paletteStart(m), colours);
}

void packPalette(uint8_t* entries, const std::vector<TimRgba>& colours) {
    const size_t count = std::min(colours.size(), TimImage::kPaletteEntries);
    for (size_t k = 0; k < count; ++k) {
        const uint16_t kept = readLE16(entries + 2 * k) & 0x8000u;
        const TimRgba& c = colours[k];
        putLE16(entries + 2 * k,
                static_cast<uint16_t>(kept | timColourBits(c.red, c.green, c.blue)));
    }
}
