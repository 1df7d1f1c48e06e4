#pragma once

#include <cstddef>
#include <cstdint>

#include "tim/tim_format.h"

class BoundedReader;

// The layout of a 4-bit TIM image with a colour lookup table (CLUT), as far as the archive's
// decoder reads it, and the header fields taken from one entry. Offsets count from the start of
// the entry. The decoder is more lenient than probeTim: it takes the palette count from the low
// byte of the CLUT height and any CLUT length from 20 to 256.
struct TimImage {
    static constexpr uint32_t kId = kTimId;
    static constexpr uint32_t kFlags4BitClut = kTimClutFlag;  // pixel mode 0 (4-bit), CLUT present
    static constexpr uint32_t kMinClutLength = 20;
    static constexpr uint32_t kMaxClutLength = 256;

    static constexpr size_t kIdOffset = 0;
    static constexpr size_t kFlagsOffset = kTimFlagsOffset;
    static constexpr size_t kClutLengthOffset = kTimFirstBlockOffset;
    static constexpr size_t kPaletteCountOffset = kTimFirstBlockOffset + kTimBlockHeightOffset;
    static constexpr size_t kPalettesOffset = kTimFirstBlockOffset + kTimBlockHeaderBytes;
    static constexpr size_t kPaletteEntries = 16;
    static constexpr size_t kPaletteBytes = 2 * kPaletteEntries;
    static constexpr size_t kImageWidthOffset = kTimBlockWidthOffset;  // from the image block
    static constexpr size_t kImageHeightOffset = kTimBlockHeightOffset;
    static constexpr size_t kImageHeaderBytes = kTimBlockHeaderBytes;
    static constexpr int kPixelsPerWidthUnit = 4;  // the width counts 16-bit units

    uint32_t clutLength = 0;  // as the header gives it, set once read
    int paletteCount = 0;
    // The image block follows the palettes; it is found by counting them, not from the CLUT
    // length, which a malformed file may get wrong.
    size_t imageStart = 0;
    int width = 0;  // pixels per row
    int height = 0;

    static size_t paletteStart(int m) { return kPalettesOffset + kPaletteBytes * m; }
    size_t pixelStart() const { return imageStart + kImageHeaderBytes; }
    size_t rowBytes() const { return static_cast<size_t>(width) / 2; }  // two pixels per byte
};

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

// The two reads after the id, flags and CLUT length, whatever those say: the palette count
// (which places the image block), then the image's size. False when the entry ends first.
bool readTimPaletteCount(const BoundedReader& entry, TimImage& image);
bool readTimImageSize(const BoundedReader& entry, TimImage& image);
