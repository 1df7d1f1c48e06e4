#include "tim/tim_format.h"

#include <algorithm>

#include "io/byte_order.h"

namespace {

constexpr uint64_t kBlockHeaderBytes = kTimBlockHeaderBytes;

struct BlockHeader {
    uint32_t length = 0;
    uint16_t x = 0, y = 0, width = 0, height = 0;
};

bool readBlockHeader(const TimByteSource& read, uint64_t at, BlockHeader& block) {
    uint8_t words[12];
    for (size_t k = 0; k < sizeof words; k += 4) {
        if (!read(at + k, 4, words + k)) return false;
    }
    block.length = readLE32(words);
    block.x = readLE16(words + 4);
    block.y = readLE16(words + 6);
    block.width = readLE16(words + kTimBlockWidthOffset);
    block.height = readLE16(words + kTimBlockHeightOffset);
    return true;
}

// The block's length word must count exactly its header and its 16-bit units.
bool blockLengthAgrees(const BlockHeader& block) {
    if (block.width == 0 || block.height == 0) return false;
    const uint64_t expected = kBlockHeaderBytes + 2ull * block.width * block.height;
    return block.length == expected;
}

int pixelsPerRow(int bpp, uint16_t widthUnits) {
    switch (bpp) {
        case 4:
            return widthUnits * 4;
        case 8:
            return widthUnits * 2;
        case 16:
            return widthUnits;
        default:
            return widthUnits * 2 / 3;
    }
}

uint16_t pixel16(const uint8_t* tim, const TimInfo& info, int x, int y) {
    return readLE16(tim + info.pixelStart + static_cast<size_t>(y) * info.rowBytes + 2 * x);
}

// CLUT colour k (counting through all palettes), 0 past the CLUT's end.
uint16_t clutValue(const uint8_t* tim, const TimInfo& info, size_t k) {
    const size_t colours = static_cast<size_t>(info.clutWidth) * info.clutHeight;
    return k < colours ? readLE16(tim + info.clutColoursStart + 2 * k) : 0;
}

bool pictureFits(const TimPicture& picture, const TimInfo& info) {
    if (picture.bpp != info.bpp || picture.width != info.width || picture.height != info.height) {
        return false;
    }
    const size_t pixels = static_cast<size_t>(info.width) * info.height;
    if (info.bpp == 16) return picture.rgba.size() == pixels * 4;
    if (info.bpp == 24) return picture.rgb.size() == pixels * 3;
    if (picture.indices.size() != pixels) return false;
    const size_t perPalette = static_cast<size_t>(info.coloursPerPalette());
    if (picture.palettes.size() > static_cast<size_t>(info.palettes)) return false;
    for (const auto& palette : picture.palettes) {
        if (palette.size() > perPalette) return false;
    }
    return std::all_of(picture.indices.begin(), picture.indices.end(),
                       [&](uint8_t index) { return index < perPalette; });
}

}  // namespace

bool probeTimFrom(const TimByteSource& read, uint64_t available, TimInfo& info) {
    uint8_t head[8];
    if (!read(0, 4, head) || !read(kTimFlagsOffset, 4, head + kTimFlagsOffset)) return false;
    const uint32_t flags = readLE32(head + kTimFlagsOffset);
    if (!timHeadWords(readLE32(head), flags)) return false;

    TimInfo found;
    static constexpr int kDepths[] = {4, 8, 16, 24};
    found.bpp = kDepths[flags & 3u];
    found.hasClut = (flags & kTimClutFlag) != 0;
    uint64_t imageStart = kTimFirstBlockOffset;
    if (found.hasClut) {
        BlockHeader clut;
        if (!readBlockHeader(read, kTimFirstBlockOffset, clut) || !blockLengthAgrees(clut)) {
            return false;
        }
        found.clutX = clut.x;
        found.clutY = clut.y;
        found.clutWidth = clut.width;
        found.clutHeight = clut.height;
        found.clutColoursStart = kTimFirstBlockOffset + kBlockHeaderBytes;
        imageStart += clut.length;
        const uint64_t colours = uint64_t{clut.width} * clut.height;
        if (found.bpp <= 8) {
            const uint64_t perPalette = found.coloursPerPalette();
            found.palettes = static_cast<int>(std::max<uint64_t>(1, colours / perPalette));
        }
    }
    if (imageStart > available) return false;
    BlockHeader image;
    if (!readBlockHeader(read, imageStart, image) || !blockLengthAgrees(image)) return false;
    if (found.bpp == 24 && (2u * image.width) % 3 != 0) return false;
    const uint64_t size = imageStart + image.length;
    if (size > available) return false;

    found.imageStart = static_cast<size_t>(imageStart);
    found.imageX = image.x;
    found.imageY = image.y;
    found.widthUnits = image.width;
    found.width = pixelsPerRow(found.bpp, image.width);
    found.height = image.height;
    found.pixelStart = static_cast<size_t>(imageStart + kBlockHeaderBytes);
    found.rowBytes = 2u * image.width;
    found.size = static_cast<size_t>(size);
    info = found;
    return true;
}

bool probeTim(const BoundedReader& bytes, size_t offset, TimInfo& info) {
    // The id and flag words first, without the indirection of a byte source.
    uint32_t id = 0, flags = 0;
    if (!bytes.readU32(offset, id) || id != kTimId) return false;
    if (!bytes.readU32(offset + kTimFlagsOffset, flags) || !timHeadWords(id, flags)) return false;
    const BoundedReader tim = bytes.from(offset);
    const TimByteSource read = [&tim](uint64_t at, size_t length, uint8_t* out) {
        if (!tim.contains(static_cast<size_t>(at), length) || at > SIZE_MAX) return false;
        std::copy_n(tim.data() + at, length, out);
        return true;
    };
    return probeTimFrom(read, tim.size(), info);
}

TimRgba timRgba(uint16_t value) {
    const auto channel = [](unsigned n) { return static_cast<uint8_t>(8 * (n & 31u) + 7); };
    return {channel(value), channel(value >> 5u), channel(value >> 10u),
            static_cast<uint8_t>(value == 0 ? 0 : 255)};
}

uint16_t timColourBits(uint8_t red, uint8_t green, uint8_t blue) {
    // The 5-bit n whose 8 n + 7 lies nearest c, halves rounded up; 8 n + 7 gives back n exactly.
    const auto pack = [](uint8_t c) { return c < 3 ? 0u : std::min(31u, (c - 3u) / 8u); };
    return static_cast<uint16_t>(pack(red) | (pack(green) << 5u) | (pack(blue) << 10u));
}

uint16_t timValue(const TimRgba& colour, bool maskBit) {
    if (colour.alpha == 0) return 0;
    uint16_t value = timColourBits(colour.red, colour.green, colour.blue);
    if (maskBit || value == 0) value |= 0x8000u;
    return value;
}

void unpackNibbles(const uint8_t* bytes, size_t byteCount, uint8_t* indices) {
    for (size_t i = 0; i < byteCount; ++i) {
        indices[2 * i] = bytes[i] & 0x0F;
        indices[2 * i + 1] = bytes[i] >> 4;
    }
}

void packNibbles(const uint8_t* indices, size_t byteCount, uint8_t* bytes) {
    for (size_t i = 0; i < byteCount; ++i) {
        bytes[i] = static_cast<uint8_t>((indices[2 * i] & 0x0F) | (indices[2 * i + 1] << 4));
    }
}

TimPicture decodeTim(const uint8_t* tim, const TimInfo& info) {
    TimPicture picture;
    picture.bpp = info.bpp;
    picture.width = info.width;
    picture.height = info.height;
    const size_t width = static_cast<size_t>(info.width);
    const size_t pixels = width * info.height;
    if (info.bpp == 4 || info.bpp == 8) {
        // The rows follow each other with no gap: width indices to a row either way.
        picture.indices.resize(pixels);
        if (info.bpp == 8) {
            std::copy_n(tim + info.pixelStart, pixels, picture.indices.data());
        } else {
            unpackNibbles(tim + info.pixelStart, pixels / 2, picture.indices.data());
        }
        const size_t perPalette = static_cast<size_t>(info.coloursPerPalette());
        picture.palettes.resize(static_cast<size_t>(info.palettes));
        for (size_t m = 0; m < picture.palettes.size(); ++m) {
            auto& palette = picture.palettes[m];
            palette.resize(perPalette);
            for (size_t k = 0; k < perPalette; ++k) {
                palette[k] = timRgba(clutValue(tim, info, m * perPalette + k));
            }
        }
    } else if (info.bpp == 16) {
        picture.rgba.resize(pixels * 4);
        for (int y = 0; y < info.height; ++y) {
            for (int x = 0; x < info.width; ++x) {
                const TimRgba c = timRgba(pixel16(tim, info, x, y));
                uint8_t* out = picture.rgba.data() + (static_cast<size_t>(y) * width + x) * 4;
                out[0] = c.red;
                out[1] = c.green;
                out[2] = c.blue;
                out[3] = c.alpha;
            }
        }
    } else {
        picture.rgb.resize(pixels * 3);
        for (size_t y = 0; y < static_cast<size_t>(info.height); ++y) {
            std::copy_n(tim + info.pixelStart + y * info.rowBytes, width * 3,
                        picture.rgb.data() + y * width * 3);
        }
    }
    return picture;
}

bool encodeTim(const TimPicture& picture, const TimInfo& info, uint8_t* tim) {
    if (!pictureFits(picture, info)) return false;
    const size_t width = static_cast<size_t>(info.width);
    if (info.bpp == 4 || info.bpp == 8) {
        const size_t pixels = width * info.height;
        if (info.bpp == 8) {
            std::copy_n(picture.indices.data(), pixels, tim + info.pixelStart);
        } else {
            packNibbles(picture.indices.data(), pixels / 2, tim + info.pixelStart);
        }
        const size_t colours = static_cast<size_t>(info.clutWidth) * info.clutHeight;
        const size_t perPalette = static_cast<size_t>(info.coloursPerPalette());
        for (size_t m = 0; m < picture.palettes.size(); ++m) {
            const auto& palette = picture.palettes[m];
            for (size_t k = 0; k < palette.size() && m * perPalette + k < colours; ++k) {
                uint8_t* at = tim + info.clutColoursStart + 2 * (m * perPalette + k);
                putLE16(at, timValue(palette[k], (readLE16(at) & 0x8000u) != 0));
            }
        }
    } else if (info.bpp == 16) {
        for (int y = 0; y < info.height; ++y) {
            for (int x = 0; x < info.width; ++x) {
                const uint8_t* in = picture.rgba.data() + (static_cast<size_t>(y) * width + x) * 4;
                uint8_t* at =
                    tim + info.pixelStart + static_cast<size_t>(y) * info.rowBytes + 2 * x;
                putLE16(at, timValue({in[0], in[1], in[2], in[3]}, (readLE16(at) & 0x8000u) != 0));
            }
        }
    } else {
        for (size_t y = 0; y < static_cast<size_t>(info.height); ++y) {
            std::copy_n(picture.rgb.data() + y * width * 3, width * 3,
                        tim + info.pixelStart + y * info.rowBytes);
        }
    }
    return true;
}
