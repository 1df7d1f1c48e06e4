#include "texture_io/tim_pixels.h"

#include <algorithm>

#include "archive/tim_image.h"
#include "io/byte_order.h"

namespace {

// The 5-bit n whose 8 n + 7 lies nearest c, halves rounded up; 7 + 8 n gives back n exactly.
unsigned packChannel(uint8_t c) {
    if (c < 3) return 0;
    return std::min(31u, (c - 3u) / 8u);
}

void putLE16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

std::vector<uint8_t> readImageIndices(const uint8_t* archive, const ArchiveImage& image) {
    const size_t width = static_cast<size_t>(image.header.width);
    std::vector<uint8_t> indices(width * image.header.height, 0);
    const uint8_t* pixels = archive + image.pixelOffset();
    for (size_t i = 0; i < image.pixelBytesHeld; ++i) {
        indices[2 * i] = pixels[i] & 0x0F;
        indices[2 * i + 1] = pixels[i] >> 4;
    }
    return indices;
}

std::vector<IndexedImage::Colour> readImagePalette(const uint8_t* archive,
                                                   const ArchiveImage& image, int m) {
    std::vector<IndexedImage::Colour> colours(TimImage::kPaletteEntries);
    const uint8_t* entries = archive + image.paletteOffset(m);
    for (size_t k = 0; k < colours.size(); ++k) {
        const TimColour colour = timColour(readLE16(entries + 2 * k));
        colours[k] = {colour.red, colour.green, colour.blue};
    }
    return colours;
}

void writeImageIndices(uint8_t* archive, const ArchiveImage& image,
                       const std::vector<uint8_t>& indices) {
    uint8_t* pixels = archive + image.pixelOffset();
    for (size_t i = 0; i < image.pixelBytesHeld; ++i) {
        pixels[i] = static_cast<uint8_t>((indices[2 * i] & 0x0F) | (indices[2 * i + 1] << 4));
    }
}

void writeImagePalette(uint8_t* archive, const ArchiveImage& image, int m,
                       const std::vector<IndexedImage::Colour>& colours) {
    packPalette(archive + image.paletteOffset(m), colours);
}

void packPalette(uint8_t* entries, const std::vector<IndexedImage::Colour>& colours) {
    const size_t count = std::min(colours.size(), TimImage::kPaletteEntries);
    for (size_t k = 0; k < count; ++k) {
        const uint16_t kept = readLE16(entries + 2 * k) & 0x8000u;
        const IndexedImage::Colour& c = colours[k];
        putLE16(entries + 2 * k,
                static_cast<uint16_t>(kept | packChannel(c.red) | (packChannel(c.green) << 5u) |
                                      (packChannel(c.blue) << 10u)));
    }
}
