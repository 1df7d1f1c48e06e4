#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/page_size.h"

class BoundedReader;

// The layout of a 4-bit TIM image with a colour lookup table (CLUT), as far as the decoder reads
// it, and the header fields taken from one entry. Offsets count from the start of the entry.
struct TimImage {
    static constexpr uint32_t kId = 16;
    static constexpr uint32_t kFlags4BitClut = 8;  // pixel mode 0 (4 bits per pixel), CLUT present
    static constexpr uint32_t kMinClutLength = 20;
    static constexpr uint32_t kMaxClutLength = 256;

    static constexpr size_t kIdOffset = 0;
    static constexpr size_t kFlagsOffset = 4;
    static constexpr size_t kClutLengthOffset = 8;
    static constexpr size_t kPaletteCountOffset = 18;  // low byte of the CLUT height
    static constexpr size_t kPalettesOffset = 20;
    static constexpr size_t kPaletteEntries = 16;
    static constexpr size_t kPaletteBytes = 2 * kPaletteEntries;
    static constexpr size_t kImageWidthOffset = 8;  // from the image block
    static constexpr size_t kImageHeightOffset = 10;
    static constexpr size_t kImageHeaderBytes = 12;
    static constexpr int kPixelsPerWidthUnit = 4;  // the width counts 16-bit units

    uint32_t clutLength = 0;  // as the header gives it, set once read
    int paletteCount = 0;
    // The image block follows the palettes; it is found by counting them, not from the CLUT
    // length, which a malformed file may get wrong.
    size_t imageStart = 0;
    int width = 0;  // pixels per row
    int height = 0;

    size_t pixelStart() const { return imageStart + kImageHeaderBytes; }
    size_t rowBytes() const { return static_cast<size_t>(width) / 2; }  // two pixels per byte
};

// A 5-bit channel n becomes 8 n + 7, so 0 gives 7 and 31 gives 255.
inline uint8_t timChannel(unsigned value) {
    return static_cast<uint8_t>(8 * (value & 31u) + 7);
}

struct TimColour {
    uint8_t red, green, blue;
};

// A palette entry's colour: red in bits 0-4, green in 5-9, blue in 10-14; bit 15 is not used.
inline TimColour timColour(uint16_t entry) {
    return {timChannel(entry), timChannel(entry >> 5u), timChannel(entry >> 10u)};
}

// How an entry's header stands with the decoder.
enum class TimHeaderCheck {
    Accepted,        // image holds the palette count, the image block's start and the size
    Truncated,       // the entry ends inside the header; needed says how many bytes it needs
    BadHeader,       // not a 4-bit TIM with palettes (id or flags)
    BadPaletteSize,  // the CLUT length lies outside 20 .. 256
};

// Checks the header from the id to the image block's size, as the decoder reads it, and fills
// image. Prints nothing: the decoder and the texture extraction each say what they make of it.
TimHeaderCheck checkTimHeader(const BoundedReader& entry, TimImage& image, uint64_t& needed);
