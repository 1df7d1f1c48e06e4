#pragma once

#include <cstddef>
#include <cstdint>

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

    int paletteCount = 0;
    // The image block follows the palettes; it is found by counting them, not from the CLUT
    // length, which a malformed file may get wrong.
    size_t imageStart = 0;
    int width = 0;  // pixels per row
    int height = 0;

    size_t pixelStart() const { return imageStart + kImageHeaderBytes; }
    size_t rowBytes() const { return static_cast<size_t>(width) / 2; }  // two pixels per byte
};
