#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "io/bounded_reader.h"

// A TIM image of any depth, as the console stores it:
//   0  4 id 0x10            4 4 flags: pixel mode in bits 0-2 (0 4-bit, 1 8-bit, 2 16-bit,
//                               3 24-bit, 4 mixed), CLUT present in bit 3
//   [CLUT block]  8 4 length in bytes counting this word, 12 2 x, 14 2 y, 16 2 width in
//                 colours, 18 2 height; then width x height 16-bit colours
//   image block   4 length counting this word, 2 x, 2 y, 2 width in 16-bit units, 2 height;
//                 then the rows
// A TIM is taken for one only when every block length agrees exactly with its sizes and the
// whole image fits the bytes; 4- and 8-bit need a CLUT; the mixed mode is not taken.
struct TimInfo {
    int bpp = 0;  // 4, 8, 16 or 24
    bool hasClut = false;
    uint16_t clutX = 0, clutY = 0, clutWidth = 0, clutHeight = 0;
    size_t clutColoursStart = 0;  // offset of the CLUT's first colour, from the TIM's start
    // 4-bit: clutWidth x clutHeight / 16; 8-bit: / 256 (at least 1: a short CLUT of either depth
    // is one palette whose missing colours are 0); 0 for 16 and 24 bits, which only carry a CLUT
    // they have.
    int palettes = 0;
    size_t imageStart = 0;  // offset of the image block
    uint16_t imageX = 0, imageY = 0, widthUnits = 0;
    int width = 0;  // pixels
    int height = 0;
    size_t pixelStart = 0;  // offset of the first row
    size_t rowBytes = 0;    // widthUnits x 2
    size_t size = 0;        // the whole TIM, header to the last row

    int coloursPerPalette() const { return bpp == 4 ? 16 : bpp == 8 ? 256 : 0; }
};

constexpr uint32_t kTimId = 0x10;
constexpr uint32_t kTimClutFlag = 8u;  // flags bit 3
constexpr size_t kTimFlagsOffset = 4;
constexpr size_t kTimFirstBlockOffset = 8;  // the CLUT block when there is one
// A block's header, from the block's start.
constexpr size_t kTimBlockWidthOffset = 8;
constexpr size_t kTimBlockHeightOffset = 10;
constexpr size_t kTimBlockHeaderBytes = 12;

// The first test probeTim makes, on the id and flag words alone: cheap enough for every offset
// of a big file. Flags take a known pixel mode (not the mixed one) and no other bits; 4- and
// 8-bit need the CLUT bit.
inline bool timHeadWords(uint32_t id, uint32_t flags) {
    if (id != kTimId || (flags & ~0xFu) != 0) return false;
    const uint32_t mode = flags & 7u;
    return mode <= 3 && (mode >= 2 || (flags & kTimClutFlag) != 0);
}

// Checks for a TIM at offset in bytes; true with info filled when there is one. A 4-bit CLUT of
// fewer than 16 colours is taken, like a short 8-bit one, for one palette whose missing colours
// are 0; the colours of a CLUT past its last whole palette are not shown.
bool probeTim(const BoundedReader& bytes, size_t offset, TimInfo& info);

// probeTim for bytes not all at hand: read(at, length, out) gives length (at most 4) bytes at
// at from the TIM's start, false past what it can reach; available: the bytes from the TIM's
// start to the end of the file.
using TimByteSource = std::function<bool(uint64_t at, size_t length, uint8_t* out)>;
bool probeTimFrom(const TimByteSource& read, uint64_t available, TimInfo& info);

// A 16-bit console colour: red in bits 0-4, green 5-9, blue 10-14, the mask bit 15. Each 5-bit
// channel n shows as 8 n + 7. A colour whose whole value is 0 is transparent; every other one
// opaque.
struct TimRgba {
    uint8_t red = 0, green = 0, blue = 0, alpha = 0;
    bool operator==(const TimRgba& o) const {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
};
TimRgba timRgba(uint16_t value);
// The 15 colour bits whose channels show nearest the given ones (each c as round((c - 7) / 8)
// clamped to 0..31), without the mask bit.
uint16_t timColourBits(uint8_t red, uint8_t green, uint8_t blue);
// The 16-bit value whose channels show as the given colour (each c as round((c - 7) / 8)
// clamped to 0..31), with mask bit maskBit; alpha 0 gives the value 0. An opaque colour that
// would come out as 0 takes the mask bit, so that it stays opaque.
uint16_t timValue(const TimRgba& colour, bool maskBit);

// 4-bit pixels, two a byte with the left one in the low nibble: byteCount bytes to twice as
// many indices, and back.
void unpackNibbles(const uint8_t* bytes, size_t byteCount, uint8_t* indices);
void packNibbles(const uint8_t* indices, size_t byteCount, uint8_t* bytes);

// One TIM decoded: indices with palettes for 4 and 8 bits, RGBA for 16 bits, RGB for 24.
struct TimPicture {
    int bpp = 0;
    int width = 0, height = 0;
    std::vector<uint8_t> indices;                // 4 and 8 bits: width x height
    std::vector<std::vector<TimRgba>> palettes;  // 4 and 8 bits: one per palette, 16 or 256 each
    std::vector<uint8_t> rgba;                   // 16 bits: width x height x 4
    std::vector<uint8_t> rgb;                    // 24 bits: width x height x 3
};
// Decodes the TIM that probeTim found at the start of tim.
TimPicture decodeTim(const uint8_t* tim, const TimInfo& info);

// Writes picture back into the TIM's bytes in place: the indices (and each palette given) for 4
// and 8 bits, the colours for 16 and 24 bits. The picture must have the TIM's depth and size;
// bytes of the TIM that no pixel or colour names stay as they are. Each colour keeps the mask
// bit it had. False, with nothing written, when the picture does not fit (depth, size, an index
// past the palette, more palettes or colours than the CLUT holds).
bool encodeTim(const TimPicture& picture, const TimInfo& info, uint8_t* tim);
