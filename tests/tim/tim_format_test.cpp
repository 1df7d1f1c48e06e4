// TIM images of every depth: what the probe takes and refuses, the console's colours, and
// pictures written back byte for byte.

#include "tim/tim_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/tim_bytes.h"

namespace {

using test_support::clearedBut16BitMasks;
using test_support::TimBytes;

// The TIM's bytes at offset 12 of a buffer with filler on both sides.
std::vector<uint8_t> placed(const std::vector<uint8_t>& tim, size_t after = 8) {
    std::vector<uint8_t> bytes(12 + tim.size() + after, 0xCD);
    std::fill_n(bytes.begin(), 12, 0xAB);
    std::copy(tim.begin(), tim.end(), bytes.begin() + 12);
    return bytes;
}

bool probe(const std::vector<uint8_t>& tim, TimInfo& info) {
    const std::vector<uint8_t> bytes = placed(tim);
    return probeTim(BoundedReader(bytes.data(), bytes.size()), 12, info);
}
bool probe(const TimBytes& tim) {
    TimInfo info;
    return probe(tim.bytes(), info);
}

// 8 x 3 pixels with two palettes, 6 x 2 with one, 5 x 2, and 2 x 2.
TimBytes fourBit() {
    return TimBytes::of(8, 16, 2, 2, 3);
}
TimBytes eightBit() {
    return TimBytes::of(9, 256, 1, 3, 2);
}
TimBytes sixteenBit() {
    return TimBytes::of(2, 0, 0, 5, 2);
}
TimBytes twentyFourBit() {
    return TimBytes::of(3, 0, 0, 3, 2);
}

TEST(TimProbe, EveryDepthGivesItsLayout) {
    TimInfo info;
    ASSERT_TRUE(probe(fourBit().bytes(), info));
    EXPECT_EQ(info.bpp, 4);
    EXPECT_TRUE(info.hasClut);
    EXPECT_EQ(info.clutWidth, 16);
    EXPECT_EQ(info.clutHeight, 2);
    EXPECT_EQ(info.clutColoursStart, 20u);
    EXPECT_EQ(info.palettes, 2);
    EXPECT_EQ(info.imageStart, 84u);
    EXPECT_EQ(info.pixelStart, 96u);
    EXPECT_EQ(info.width, 8);
    EXPECT_EQ(info.height, 3);
    EXPECT_EQ(info.rowBytes, 4u);
    EXPECT_EQ(info.size, 108u);

    ASSERT_TRUE(probe(eightBit().bytes(), info));
    EXPECT_EQ(info.bpp, 8);
    EXPECT_EQ(info.palettes, 1);
    EXPECT_EQ(info.imageStart, 532u);
    EXPECT_EQ(info.width, 6);
    EXPECT_EQ(info.size, 556u);

    ASSERT_TRUE(probe(sixteenBit().bytes(), info));
    EXPECT_EQ(info.bpp, 16);
    EXPECT_FALSE(info.hasClut);
    EXPECT_EQ(info.palettes, 0);
    EXPECT_EQ(info.imageStart, 8u);
    EXPECT_EQ(info.pixelStart, 20u);
    EXPECT_EQ(info.width, 5);
    EXPECT_EQ(info.size, 40u);

    ASSERT_TRUE(probe(twentyFourBit().bytes(), info));
    EXPECT_EQ(info.bpp, 24);
    EXPECT_EQ(info.width, 2);
    EXPECT_EQ(info.rowBytes, 6u);
    EXPECT_EQ(info.size, 32u);

    TimBytes withClut = sixteenBit();  // a CLUT beside direct colours is only carried
    withClut.flags = 10;
    withClut.clutWidth = 3;
    withClut.clutHeight = 1;
    ASSERT_TRUE(probe(withClut.bytes(), info));
    EXPECT_EQ(info.palettes, 0);
    EXPECT_EQ(info.imageStart, 26u);
    EXPECT_EQ(info.size, 58u);
}

TEST(TimProbe, LengthsOffByOneAndImpossibleHeadersAreRefused) {
    for (const TimBytes& good : {fourBit(), eightBit(), sixteenBit(), twentyFourBit()}) {
        for (int bend : {-1, 1}) {
            TimBytes tim = good;
            tim.imageLengthBend = bend;
            EXPECT_FALSE(probe(tim)) << good.flags << " image " << bend;
            if (good.flags & 8) {
                tim = good;
                tim.clutLengthBend = bend;
                EXPECT_FALSE(probe(tim)) << good.flags << " clut " << bend;
            }
        }
        // The last byte missing from the buffer.
        std::vector<uint8_t> cut = good.bytes();
        TimInfo info;
        EXPECT_TRUE(probeTim(BoundedReader(cut.data(), cut.size()), 0, info));
        EXPECT_FALSE(probeTim(BoundedReader(cut.data(), cut.size() - 1), 0, info));
    }
    TimBytes tim = fourBit();
    tim.flags = 0;  // 4-bit without a CLUT
    EXPECT_FALSE(probe(tim));
    tim = eightBit();
    tim.flags = 1;
    EXPECT_FALSE(probe(tim));
    for (uint32_t mixed : {4u, 12u}) {
        tim = sixteenBit();
        tim.flags = mixed;
        EXPECT_FALSE(probe(tim));
    }
    tim = sixteenBit();
    tim.flags = 0x12;  // a bit no mode uses
    EXPECT_FALSE(probe(tim));
    tim = twentyFourBit();
    tim.widthUnits = 4;  // 8 bytes a row: no whole number of pixels
    EXPECT_FALSE(probe(tim));
    tim = sixteenBit();
    tim.height = 0;
    EXPECT_FALSE(probe(tim));
    tim = fourBit();
    tim.clutHeight = 0;
    EXPECT_FALSE(probe(tim));
}

TEST(TimProbe, ShortClutsAreOnePaletteMissingColoursZero) {
    TimBytes tim = eightBit();
    tim.clutWidth = 16;
    tim.clut.assign(16, 0x7FFF);
    std::vector<uint8_t> bytes = tim.bytes();
    TimInfo info;
    ASSERT_TRUE(probe(bytes, info));
    EXPECT_EQ(info.palettes, 1);
    EXPECT_EQ(info.imageStart, 52u);
    TimPicture picture = decodeTim(bytes.data(), info);
    ASSERT_EQ(picture.palettes.size(), 1u);
    ASSERT_EQ(picture.palettes[0].size(), 256u);
    EXPECT_EQ(picture.palettes[0][15], (TimRgba{255, 255, 255, 255}));
    EXPECT_EQ(picture.palettes[0][16], (TimRgba{7, 7, 7, 0}));

    tim = fourBit();
    tim.clutWidth = 4;
    tim.clutHeight = 1;
    ASSERT_TRUE(probe(tim.bytes(), info));
    EXPECT_EQ(info.palettes, 1);
    tim.clutWidth = 40;  // two whole palettes and 8 colours no palette shows
    ASSERT_TRUE(probe(tim.bytes(), info));
    EXPECT_EQ(info.palettes, 2);
}

TEST(TimColours, TheConsoleRule) {
    EXPECT_EQ(timRgba(0), (TimRgba{7, 7, 7, 0}));
    EXPECT_EQ(timRgba(0x8000), (TimRgba{7, 7, 7, 255}));
    EXPECT_EQ(timRgba(0x7FFF), (TimRgba{255, 255, 255, 255}));
    EXPECT_EQ(timRgba(1 | (2 << 5) | (3 << 10)), (TimRgba{15, 23, 31, 255}));
    EXPECT_EQ(timValue({7, 7, 7, 255}, false), 0x8000);  // black stays opaque
    EXPECT_EQ(timValue({255, 0, 0, 0}, true), 0);
    EXPECT_EQ(timValue({255, 255, 255, 255}, false), 0x7FFF);
    EXPECT_EQ(timValue({15, 23, 31, 255}, true), 0x8000 | 1 | (2 << 5) | (3 << 10));
    EXPECT_EQ(timValue({10, 11, 0, 255}, false), 1 << 5);  // halves round up
}

TEST(TimPictures, DecodeThenEncodeGivesTheSameBytes) {
    std::mt19937 random(7);
    for (TimBytes tim : {fourBit(), eightBit(), sixteenBit(), twentyFourBit()}) {
        const size_t colours = size_t{tim.clutWidth} * tim.clutHeight;
        for (size_t k = 0; k < colours; ++k) tim.clut.push_back(random() & 0xFFFF);
        if (colours) tim.clut[0] = 0, tim.clut[1] = 0x8000;
        for (size_t k = 0; k < size_t{tim.widthUnits} * 2 * tim.height; ++k) {
            tim.pixels.push_back(static_cast<uint8_t>(random()));
        }
        if (tim.flags == 2) {
            tim.pixels[0] = tim.pixels[1] = 0;        // transparent
            tim.pixels[2] = 0, tim.pixels[3] = 0x80;  // opaque black
        }
        const std::vector<uint8_t> original = tim.bytes();
        TimInfo info;
        ASSERT_TRUE(probeTim(BoundedReader(original.data(), original.size()), 0, info));
        const TimPicture picture = decodeTim(original.data(), info);
        std::vector<uint8_t> rebuilt = clearedBut16BitMasks(original, info);
        ASSERT_TRUE(encodeTim(picture, info, rebuilt.data()));
        EXPECT_EQ(rebuilt, original) << "flags " << tim.flags;
    }
}

TEST(TimPictures, PixelsAndColoursLandWhereTheyShould) {
    TimBytes tim = fourBit();
    tim.pixels = {0x21, 0x43};
    std::vector<uint8_t> bytes = tim.bytes();
    TimInfo info;
    ASSERT_TRUE(probe(bytes, info));
    TimPicture picture = decodeTim(bytes.data(), info);
    EXPECT_EQ(std::vector<uint8_t>(picture.indices.begin(), picture.indices.begin() + 5),
              (std::vector<uint8_t>{1, 2, 3, 4, 0}));
    picture.indices[1] = 15;
    picture.palettes[1][3] = {7, 7, 7, 255};  // opaque black into a colour that was 0
    ASSERT_TRUE(encodeTim(picture, info, bytes.data()));
    EXPECT_EQ(bytes[info.pixelStart], 0xF1);
    EXPECT_EQ(bytes[info.clutColoursStart + 2 * 19 + 1], 0x80);

    TimBytes direct = sixteenBit();
    std::vector<uint8_t> rgba = direct.bytes();
    ASSERT_TRUE(probe(rgba, info));
    picture = decodeTim(rgba.data(), info);
    EXPECT_EQ(picture.rgba[3], 0);  // value 0: transparent
    picture.rgba[4 * 4 + 0] = 255;  // the last pixel of row 0 red, opaque
    picture.rgba[4 * 4 + 3] = 255;
    ASSERT_TRUE(encodeTim(picture, info, rgba.data()));
    EXPECT_EQ(rgba[info.pixelStart + 8], 0x1F);
    EXPECT_EQ(rgba[info.pixelStart + 9], 0x00);
}

TEST(TimPictures, PicturesThatDoNotFitAreRefusedUntouched) {
    TimBytes tim = fourBit();
    const std::vector<uint8_t> original = tim.bytes();
    TimInfo info;
    ASSERT_TRUE(probeTim(BoundedReader(original.data(), original.size()), 0, info));
    const TimPicture good = decodeTim(original.data(), info);
    std::vector<uint8_t> bytes = original;
    TimPicture bad = good;
    bad.indices[5] = 16;  // past a 16-colour palette
    EXPECT_FALSE(encodeTim(bad, info, bytes.data()));
    bad = good;
    bad.palettes.push_back(bad.palettes[0]);  // a third palette
    EXPECT_FALSE(encodeTim(bad, info, bytes.data()));
    bad = good;
    bad.palettes[0].push_back({});
    EXPECT_FALSE(encodeTim(bad, info, bytes.data()));
    bad = good;
    bad.width = 4;
    EXPECT_FALSE(encodeTim(bad, info, bytes.data()));
    bad = good;
    bad.bpp = 8;
    EXPECT_FALSE(encodeTim(bad, info, bytes.data()));
    EXPECT_EQ(bytes, original);
}

}  // namespace
