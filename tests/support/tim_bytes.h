#pragma once

#include <cstdint>
#include <vector>

#include "tim/tim_format.h"

// TIM images of any depth for the tests, with lengths that can be bent.
namespace test_support {

struct TimBytes {
    uint32_t flags = 2;  // pixel mode in bits 0-2, CLUT in bit 3
    uint16_t clutWidth = 0, clutHeight = 0;
    std::vector<uint16_t> clut;  // padded with 0 to width x height
    uint16_t widthUnits = 1, height = 1;
    std::vector<uint8_t> pixels;  // padded with 0 to widthUnits x 2 x height
    int clutLengthBend = 0, imageLengthBend = 0;

    static TimBytes of(uint32_t flags, uint16_t clutWidth, uint16_t clutHeight, uint16_t widthUnits,
                       uint16_t height) {
        TimBytes tim;
        tim.flags = flags;
        tim.clutWidth = clutWidth;
        tim.clutHeight = clutHeight;
        tim.widthUnits = widthUnits;
        tim.height = height;
        return tim;
    }

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> out;
        const auto put16 = [&](uint32_t v) {
            out.push_back(static_cast<uint8_t>(v));
            out.push_back(static_cast<uint8_t>(v >> 8));
        };
        const auto put32 = [&](uint32_t v) {
            put16(v & 0xFFFF);
            put16(v >> 16);
        };
        put32(0x10);
        put32(flags);
        if (flags & 8) {
            const size_t colours = size_t{clutWidth} * clutHeight;
            put32(static_cast<uint32_t>(12 + 2 * colours + clutLengthBend));
            put32(0);
            put16(clutWidth);
            put16(clutHeight);
            for (size_t k = 0; k < colours; ++k) put16(k < clut.size() ? clut[k] : 0);
        }
        const size_t pixelBytes = size_t{widthUnits} * 2 * height;
        put32(static_cast<uint32_t>(12 + pixelBytes + imageLengthBend));
        put32(0);
        put16(widthUnits);
        put16(height);
        for (size_t k = 0; k < pixelBytes; ++k) out.push_back(k < pixels.size() ? pixels[k] : 0);
        return out;
    }
};

// The TIM with every pixel and colour byte cleared but the mask bits of 16-bit values, for a
// picture written back to give again.
inline std::vector<uint8_t> clearedBut16BitMasks(std::vector<uint8_t> tim, const TimInfo& info) {
    const auto clear = [&](size_t start, size_t bytes, bool values16) {
        for (size_t k = start; k < start + bytes; ++k) {
            tim[k] = values16 && (k - start) % 2 == 1 ? tim[k] & 0x80 : 0;
        }
    };
    if (info.hasClut) clear(info.clutColoursStart, 2u * info.clutWidth * info.clutHeight, true);
    clear(info.pixelStart, info.rowBytes * info.height, info.bpp == 16);
    return tim;
}

}  // namespace test_support
