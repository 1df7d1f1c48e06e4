// TIMs of every depth out as PNG files and back: the files' names and forms, byte-exact round
// trips, and the PNGs refused with their reason.

#include "texture_io/tim_png.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "io/byte_order.h"
#include "png/indexed_png.h"
#include "png/png_writing.h"
#include "support/test_files.h"
#include "support/tim_bytes.h"

namespace {

using test_support::clearedBut16BitMasks;
using test_support::TimBytes;
using Pngs = std::vector<std::vector<uint8_t>>;

// A TIM of random pixels and colours; colours 0 and 1 are 0 (clear) and 0x8000 (opaque black).
std::vector<uint8_t> randomTim(uint32_t flags, uint16_t clutHeight, uint16_t widthUnits,
                               uint16_t height, TimInfo& info) {
    std::mt19937 random(flags * 31 + clutHeight);
    const uint16_t clutWidth = flags == 9 ? 256 : flags == 8 ? 16 : 0;
    TimBytes tim = TimBytes::of(flags, clutWidth, clutWidth ? clutHeight : 0, widthUnits, height);
    if (clutWidth) {
        for (size_t k = 0; k < size_t{tim.clutWidth} * clutHeight; ++k) {
            tim.clut.push_back(k == 0 ? 0 : k == 1 ? 0x8000 : random() & 0xFFFF);
        }
    }
    for (size_t k = 0; k < size_t{widthUnits} * 2 * height; ++k) {
        tim.pixels.push_back(static_cast<uint8_t>(random()));
    }
    if (flags == 2) tim.pixels[0] = tim.pixels[1] = 0;
    std::vector<uint8_t> bytes = tim.bytes();
    EXPECT_TRUE(probeTim(BoundedReader(bytes.data(), bytes.size()), 0, info));
    return bytes;
}

// The IHDR's bit depth and colour type, and the length of a chunk (0 when there is none).
int bitDepth(const std::vector<uint8_t>& png) {
    return png[24];
}
int colourType(const std::vector<uint8_t>& png) {
    return png[25];
}
uint32_t chunkLength(const std::vector<uint8_t>& png, const char* type) {
    for (size_t at = 8; at + 8 <= png.size();) {
        const uint32_t length = (uint32_t{png[at]} << 24) | (uint32_t{png[at + 1]} << 16) |
                                (uint32_t{png[at + 2]} << 8) | png[at + 3];
        if (std::equal(type, type + 4, png.begin() + at + 4)) return length;
        at += 12 + length;
    }
    return 0;
}

TEST(TimPng, FileNamesBesideTheTim) {
    TimInfo one;
    one.bpp = 4;
    one.palettes = 1;
    EXPECT_EQ(timPngPaths("out/face.tim", one), std::vector<std::string>{"out/face.png"});
    EXPECT_EQ(timPngPaths("out.d/face", one), std::vector<std::string>{"out.d/face.png"});
    TimInfo three = one;
    three.palettes = 3;
    EXPECT_EQ(
        timPngPaths("a/b.TIM", three),
        (std::vector<std::string>{"a/b-palette0.png", "a/b-palette1.png", "a/b-palette2.png"}));
    TimInfo direct;
    direct.bpp = 16;
    EXPECT_EQ(timPngPaths("x.bin", direct), std::vector<std::string>{"x.png"});
}

TEST(TimPng, EveryDepthRoundTripsByteForByte) {
    struct Case {
        uint32_t flags;
        uint16_t clutHeight, widthUnits, height;
        int files, depth, type, plte;
    };
    for (const Case& c : {Case{8, 2, 3, 5, 2, 4, 3, 48}, Case{9, 1, 5, 3, 1, 8, 3, 768},
                          Case{2, 0, 7, 4, 1, 8, 6, 0}, Case{3, 0, 9, 2, 1, 8, 2, 0}}) {
        TimInfo info;
        const std::vector<uint8_t> original =
            randomTim(c.flags, c.clutHeight, c.widthUnits, c.height, info);
        Pngs pngs;
        ASSERT_TRUE(encodeTimPngs(decodeTim(original.data(), info), pngs).ok());
        ASSERT_EQ(pngs.size(), static_cast<size_t>(c.files));
        for (const auto& png : pngs) {
            EXPECT_EQ(bitDepth(png), c.depth) << c.flags;
            EXPECT_EQ(colourType(png), c.type) << c.flags;
            EXPECT_EQ(chunkLength(png, "PLTE"), static_cast<uint32_t>(c.plte)) << c.flags;
        }
        // Colour 0 (value 0) clear, colour 1 (0x8000) opaque: the chunk stops at the first.
        EXPECT_EQ(chunkLength(pngs[0], "tRNS"), c.plte ? 1u : 0u) << c.flags;
        std::vector<uint8_t> rebuilt = clearedBut16BitMasks(original, info);
        ASSERT_TRUE(readTimPngs(pngs, info, rebuilt.data()).ok());
        EXPECT_EQ(rebuilt, original) << c.flags;
    }
}

TEST(TimPng, PngsThatDoNotFitAreRefusedWithTheirReason) {
    TimInfo four, eight, sixteen, rgb;
    std::vector<uint8_t> fourBit = randomTim(8, 3, 2, 4, four);
    const std::vector<uint8_t> eightBit = randomTim(9, 1, 2, 4, eight);
    std::vector<uint8_t> sixteenBit = randomTim(2, 0, 8, 4, sixteen);
    std::vector<uint8_t> rgbBit = randomTim(3, 0, 6, 4, rgb);
    Pngs fourPngs, eightPngs, sixteenPngs, rgbPngs;
    ASSERT_TRUE(encodeTimPngs(decodeTim(fourBit.data(), four), fourPngs).ok());
    ASSERT_TRUE(encodeTimPngs(decodeTim(eightBit.data(), eight), eightPngs).ok());
    ASSERT_TRUE(encodeTimPngs(decodeTim(sixteenBit.data(), sixteen), sixteenPngs).ok());
    ASSERT_TRUE(encodeTimPngs(decodeTim(rgbBit.data(), rgb), rgbPngs).ok());
    const std::vector<uint8_t> fourBefore = fourBit, sixteenBefore = sixteenBit;

    const auto refusal = [&](const Pngs& pngs, const TimInfo& info, std::vector<uint8_t>& tim) {
        const Result<> read = readTimPngs(pngs, info, tim.data());
        EXPECT_FALSE(read.ok());
        return read.message;
    };
    EXPECT_EQ(refusal({eightPngs[0]}, four, fourBit), "more than 16 palette entries (256)");
    EXPECT_EQ(refusal({sixteenPngs[0]}, four, fourBit), "not an indexed PNG (colour type 6)");
    EXPECT_EQ(refusal({rgbPngs[0]}, sixteen, sixteenBit), "an RGB PNG, not an RGBA PNG");
    EXPECT_EQ(refusal({fourPngs[0]}, sixteen, sixteenBit), "an indexed PNG, not an RGBA PNG");
    EXPECT_EQ(refusal({fourPngs[0], fourPngs[1]}, four, fourBit),
              "2 PNG files for a TIM of 3: one, or one per palette");
    EXPECT_EQ(refusal({eightPngs[0]}, sixteen, sixteenBit), "an indexed PNG, not an RGBA PNG");

    // Another size: the 8 x 4 TIM's file for the 16 x 4 one.
    TimInfo small;
    const std::vector<uint8_t> smallTim = randomTim(8, 1, 2, 4, small);
    Pngs smallPngs;
    ASSERT_TRUE(encodeTimPngs(decodeTim(smallTim.data(), small), smallPngs).ok());
    TimInfo wide;
    std::vector<uint8_t> wideTim = randomTim(8, 1, 4, 4, wide);
    EXPECT_EQ(refusal(smallPngs, wide, wideTim),
              "other size than the image: 8 x 4, the image is 16 x 4");

    // Palette 1's file with other indices than palette 0's.
    TimPicture picture = decodeTim(fourBit.data(), four);
    Pngs edited;
    ASSERT_TRUE(encodeTimPngs(picture, edited).ok());
    picture.indices[3] ^= 1;
    Pngs other;
    ASSERT_TRUE(encodeTimPngs(picture, other).ok());
    edited[1] = other[1];
    EXPECT_EQ(refusal(edited, four, fourBit),
              "palette 1's file has other indices than palette 0's");

    // A half-transparent pixel.
    std::vector<uint8_t> rgba(8 * 4 * 4, 255);
    rgba[4 * 9 + 3] = 128;
    std::vector<uint8_t> png;
    ASSERT_TRUE(encodePng(8, 4, 4, rgba.data(), png));
    EXPECT_EQ(refusal({png}, sixteen, sixteenBit),
              "pixel (1, 1) partly transparent: a TIM's are clear or opaque");

    EXPECT_EQ(fourBit, fourBefore);
    EXPECT_EQ(sixteenBit, sixteenBefore);
}

TEST(TimPng, FilesBesideTheTimWrittenAndReadBack) {
    test_support::TempFolder folder;
    TimInfo info;
    const std::vector<uint8_t> original = randomTim(8, 2, 2, 3, info);
    const std::string timPath = folder / "face.tim";
    ASSERT_TRUE(writeTimPngs(timPath, original.data(), info).ok());
    const std::vector<std::string> paths = timPngPaths(timPath, info);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_FALSE(test_support::readWholeFile(paths[1]).empty());

    std::vector<uint8_t> rebuilt = clearedBut16BitMasks(original, info);
    ASSERT_TRUE(readTimPngFiles(timPath, info, rebuilt.data()).ok());
    EXPECT_EQ(rebuilt, original);

    // Palette 0's file alone: palette 1 stays as it was.
    std::remove(paths[1].c_str());
    std::vector<uint8_t> partial = clearedBut16BitMasks(original, info);
    ASSERT_TRUE(readTimPngFiles(timPath, info, partial.data()).ok());
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + info.clutColoursStart + 32,
                           partial.begin()));
    EXPECT_EQ(readLE16(partial.data() + info.clutColoursStart + 32 + 2) & 0x7FFF, 0);
    EXPECT_TRUE(std::equal(original.begin() + info.imageStart, original.end(),
                           partial.begin() + info.imageStart));
}

}  // namespace
