// Decoding single TIM entries: colours, alpha, nibble order, palette copies, warnings, header
// and palette-size errors, and entries cut short.

#include <gtest/gtest.h>

#include "texture_test_support.h"

namespace {

using namespace texture_test;

// A 4 x 1 image through one palette whose colours 0..3 are given.
ab::TimImage rowOfFour(std::vector<uint16_t> palette, std::array<uint8_t, 4> indices) {
    ab::TimImage image;
    image.palettes = std::move(palette);
    image.widthUnits = 1;
    image.height = 1;
    for (int x = 0; x < 4; ++x) image.setIndex(x, 0, indices[x]);
    return image;
}

TEST(TimColours, ChannelsExpandTo8nPlus7AndBit15IsIgnored) {
    auto page = newPage();
    const Outcome first = decode(*page, rowOfFour({0, 0x0000, 0x7FFF, 0x001F}, {1, 2, 3, 1}));
    EXPECT_EQ(first.result, 0);
    EXPECT_EQ(first.console, "");
    EXPECT_EQ(pixelAt(*page, 0, 0), (Rgba{7, 7, 7, 255}));
    EXPECT_EQ(pixelAt(*page, 1, 0), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(pixelAt(*page, 2, 0), (Rgba{255, 7, 7, 255}));

    // Green in bits 5-9, blue in bits 10-14, a mid value, and bit 15 adds nothing.
    decode(*page, rowOfFour({0, 0x03E0, 0x7C00, ab::rgb15(1, 16, 30) | 0x8000}, {1, 2, 3, 3}));
    EXPECT_EQ(pixelAt(*page, 0, 0), (Rgba{7, 255, 7, 255}));
    EXPECT_EQ(pixelAt(*page, 1, 0), (Rgba{7, 7, 255, 255}));
    EXPECT_EQ(pixelAt(*page, 2, 0), (Rgba{15, 135, 247, 255}));
}

TEST(TimColours, AlphaComesFromTheIndexNotTheColour) {
    auto page = newPage();
    // Index 0 is white but transparent; index 1 is the darkest colour and opaque.
    decode(*page, rowOfFour({0x7FFF, 0x0000}, {0, 1, 0, 1}));
    EXPECT_EQ(pixelAt(*page, 0, 0), (Rgba{255, 255, 255, 0}));
    EXPECT_EQ(pixelAt(*page, 1, 0), (Rgba{7, 7, 7, 255}));
    EXPECT_EQ(pixelAt(*page, 2, 0), (Rgba{255, 255, 255, 0}));
    EXPECT_EQ(pixelAt(*page, 3, 0), (Rgba{7, 7, 7, 255}));
}

TEST(TimColours, LowNibbleIsTheLeftPixelEachWithItsOwnAlpha) {
    auto page = newPage();
    ab::TimImage image;
    image.palettes = {0x0000, 0x001F, 0x03E0};
    image.pixels = {0x21, 0x10};
    decode(*page, image);
    EXPECT_EQ(pixelAt(*page, 0, 0), (Rgba{255, 7, 7, 255}));  // 0x21: index 1 on the left
    EXPECT_EQ(pixelAt(*page, 1, 0), (Rgba{7, 255, 7, 255}));  //       index 2 on the right
    EXPECT_EQ(pixelAt(*page, 2, 0), (Rgba{7, 7, 7, 0}));      // 0x10: index 0 on the left
    EXPECT_EQ(pixelAt(*page, 3, 0), (Rgba{255, 7, 7, 255}));  //       index 1 on the right
}

// An image of height 64, one column per palette colour index 1, P palettes where palette m
// gives colour index 1 the red value m.
ab::TimImage stackedImage(uint8_t paletteCount) {
    ab::TimImage image;
    image.paletteCount = paletteCount;
    image.palettes.assign(16u * paletteCount, 0);
    for (int m = 0; m < paletteCount; ++m) image.palettes[16 * m + 1] = ab::rgb15(m, 0, 0);
    image.widthUnits = 1;
    image.height = 64;
    for (int y = 0; y < 64; ++y) image.setIndex(0, y, 1);
    return image;
}

TEST(TimPaletteCopies, FourPalettesOfHeight64FillThePageDownwards) {
    auto page = newPage();
    const Outcome out = decode(*page, stackedImage(4));
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, "");
    EXPECT_EQ(page->width, 4);
    EXPECT_EQ(page->height, 64);
    for (int m = 0; m < 4; ++m) {
        const uint8_t red = static_cast<uint8_t>(8 * m + 7);
        EXPECT_EQ(pixelAt(*page, 0, 64 * m), (Rgba{red, 7, 7, 255})) << "copy " << m;
        EXPECT_EQ(pixelAt(*page, 0, 64 * m + 63), (Rgba{red, 7, 7, 255})) << "copy " << m;
    }
}

TEST(TimPaletteCopies, FivePalettesOfHeight64FallBackToOneCopy) {
    auto page = newPage();
    const Outcome out = decode(*page, stackedImage(5));
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, "Warning : texture height or palette. [64,5]\n");
    EXPECT_EQ(pixelAt(*page, 0, 63), (Rgba{7, 7, 7, 255}));
    EXPECT_EQ(pixelAt(*page, 0, 64), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(*page, 0, 255), (Rgba{0, 0, 0, 0}));
}

TEST(TimPaletteCopies, NoPalettesSetsTheSizeButStoresNothing) {
    auto page = newPage();
    ab::TimImage image;
    image.paletteCount = 0;  // as for a CLUT height of 256
    image.clutLength = 44;   // inside 20 .. 256, so the header passes
    image.widthUnits = 3;
    image.height = 5;
    image.pixels.assign(30, 0x11);
    const Outcome out = decode(*page, image);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, "");
    EXPECT_EQ(page->width, 12);
    EXPECT_EQ(page->height, 5);
    EXPECT_TRUE(pageIsClear(*page));
}

TEST(TimPaletteCopies, ImageBlockIsFoundByCountingPalettesNotByTheClutLength) {
    auto page = newPage();
    ab::TimImage image = stackedImage(2);
    image.clutLength = 20;  // says "no palettes", yet two are there
    decode(*page, image);
    EXPECT_EQ(page->height, 64);
    EXPECT_EQ(pixelAt(*page, 0, 64), (Rgba{15, 7, 7, 255}));
}

TEST(TimWarnings, WideImageKeepsItsRowStrideAndDropsColumnsPast255) {
    auto page = newPage();
    ab::TimImage image;
    image.palettes = {0, 0x001F, 0x03E0, 0x7C00};
    image.widthUnits = 65;  // 260 pixels
    image.height = 2;
    image.setIndex(255, 0, 1);
    image.setIndex(256, 0, 3);  // not stored
    image.setIndex(0, 1, 2);    // row 1 starts after the 130 bytes of row 0
    const Outcome out = decode(*page, image);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, "Warning : texture width. [260]\n");
    EXPECT_EQ(page->width, 260);
    EXPECT_EQ(pixelAt(*page, 255, 0), (Rgba{255, 7, 7, 255}));
    EXPECT_EQ(pixelAt(*page, 0, 1), (Rgba{7, 255, 7, 255}));
    EXPECT_EQ(pixelAt(*page, 0, 0), (Rgba{7, 7, 7, 0}));
    EXPECT_EQ(pixelAt(*page, 1, 1), (Rgba{7, 7, 7, 0}));
}

TEST(TimWarnings, TallImageStopsAtTheLastRowOfThePage) {
    auto page = newPage();
    ab::TimImage image;
    image.palettes = {0, 0x7FFF};
    image.height = 300;
    image.setIndex(0, 255, 1);
    image.setIndex(0, 299, 1);
    const Outcome out = decode(*page, image);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, "Warning : texture height or palette. [300,1]\n");
    EXPECT_EQ(pixelAt(*page, 0, 255), (Rgba{255, 255, 255, 255}));
}

TEST(TimHeaderErrors, WrongFlagsOrIdPrintTheFirstEightBytesAndLeaveThePage) {
    auto page = newPage();
    decode(*page, rowOfFour({0, 0x7FFF}, {1, 1, 1, 1}));
    ab::TimImage eightBit = stackedImage(1);
    eightBit.flags = 9;
    Outcome out = decode(*page, eightBit);
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.console, "Header error. : Texture data. [10 0 0 0 9 0 0 0 ]\n");
    EXPECT_EQ(page->width, 4);
    EXPECT_EQ(page->height, 1);
    EXPECT_EQ(pixelAt(*page, 0, 1), (Rgba{0, 0, 0, 0}));

    ab::TimImage otherId = stackedImage(1);
    otherId.id = 0x1234AB;
    otherId.flags = 0x08FF0008;  // a correct low byte is not enough
    out = decode(*page, otherId);
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.console, "Header error. : Texture data. [ab 34 12 0 8 0 ff 8 ]\n");
}

TEST(TimHeaderErrors, ClutLengthMustLieIn20To256) {
    auto page = newPage();
    ab::TimImage image = stackedImage(1);
    const std::pair<uint32_t, std::string> refused[] = {
        {0x10C, "Error : palette size [     10c]\n"},
        {19, "Error : palette size [      13]\n"},
        {257, "Error : palette size [     101]\n"},
        {0xFFFFFFFF, "Error : palette size [ffffffff]\n"},
    };
    for (const auto& [length, line] : refused) {
        image.clutLength = length;
        const Outcome out = decode(*page, image);
        EXPECT_EQ(out.result, -1);
        EXPECT_EQ(out.console, line);
    }
    EXPECT_TRUE(pageIsClear(*page));
    EXPECT_EQ(page->width, 0);

    for (uint32_t length : {20u, 256u}) {
        image.clutLength = length;
        const Outcome out = decode(*page, image);
        EXPECT_EQ(out.result, 0) << length;
        EXPECT_EQ(out.console, "");
    }
}

TEST(TimTruncated, ShortEntriesReportOnceAndNeverReadPastTheirEnd) {
    const ab::Bytes whole = stackedImage(2).bytes();  // 84 bytes of header and palettes
    struct Case {
        size_t keep;
        std::string line;
    };
    const Case cases[] = {
        {0, "Error : texture data truncated. [0 of 8 bytes]\n"},
        {7, "Error : texture data truncated. [7 of 8 bytes]\n"},
        {11, "Error : texture data truncated. [11 of 12 bytes]\n"},
        {18, "Error : texture data truncated. [18 of 20 bytes]\n"},
        {40, "Error : texture data truncated. [40 of 96 bytes]\n"},  // inside the palettes
        {95, "Error : texture data truncated. [95 of 96 bytes]\n"},  // inside the image header
    };
    for (const Case& c : cases) {
        auto page = newPage();
        // An exact-size copy, so that the sanitizer catches any read past the end.
        const ab::Bytes entry(whole.begin(), whole.begin() + c.keep);
        const Outcome out = decode(*page, entry);
        EXPECT_EQ(out.result, -1) << c.keep;
        EXPECT_EQ(out.console, c.line);
        EXPECT_TRUE(pageIsClear(*page)) << c.keep;
        EXPECT_EQ(page->height, 0) << c.keep;
    }
}

TEST(TimTruncated, ShortPixelBlockKeepsTheWholeRowsItHolds) {
    auto page = newPage();
    ab::TimImage image = stackedImage(2);  // 2 bytes per row, 64 rows, two copies
    const size_t pixelStart = 20 + 64 + 12;
    image.truncateTo = pixelStart + 2 * 10 + 1;  // ten whole rows and one byte of the next
    const Outcome out = decode(*page, image);
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.console, "Error : texture data truncated. [117 of 224 bytes]\n");
    EXPECT_EQ(page->width, 4);
    EXPECT_EQ(page->height, 64);
    EXPECT_EQ(pixelAt(*page, 0, 9), (Rgba{7, 7, 7, 255}));
    EXPECT_EQ(pixelAt(*page, 0, 64 + 9), (Rgba{15, 7, 7, 255}));
    EXPECT_EQ(pixelAt(*page, 0, 10), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(*page, 0, 64 + 10), (Rgba{0, 0, 0, 0}));
}

TEST(TimTruncated, HugeDeclaredSizeInATinyEntryIsReportedNotAllocated) {
    auto page = newPage();
    ab::TimImage image;
    image.palettes = {0, 0x7FFF};
    image.widthUnits = 0xFFFF;
    image.height = 0xFFFF;
    image.truncateTo = 20 + 32 + 12 + 4;
    const Outcome out = decode(*page, image);
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.console,
              "Warning : texture width. [262140]\n"
              "Warning : texture height or palette. [65535,1]\n"
              "Error : texture data truncated. [68 of 8589672514 bytes]\n");
}

}  // namespace
