// A whole model archive with several images and palettes decodes into exactly the expected page.

#include <gtest/gtest.h>

#include <vector>

#include "texture_test_support.h"

namespace {

using namespace texture_test;

using IndexPattern = uint8_t (*)(int x, int y);
using PalettePattern = uint16_t (*)(int palette, int index);

ab::TimImage patternImage(int widthUnits, int height, int palettes, IndexPattern index,
                          PalettePattern colour) {
    ab::TimImage image;
    image.paletteCount = static_cast<uint8_t>(palettes);
    for (int m = 0; m < palettes; ++m) {
        for (int k = 0; k < 16; ++k) image.palettes.push_back(colour(m, k));
    }
    image.widthUnits = static_cast<uint16_t>(widthUnits);
    image.height = static_cast<uint16_t>(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < 4 * widthUnits; ++x) image.setIndex(x, y, index(x, y));
    }
    return image;
}

uint8_t expand(uint16_t colour, int shift) {
    return static_cast<uint8_t>(8 * ((colour >> shift) & 31) + 7);
}

// Paints the copies of an image the way the page is documented to hold them.
void paint(std::vector<uint8_t>& page, const ab::TimImage& image, IndexPattern index, int copies) {
    const int width = 4 * image.widthUnits;
    for (int m = 0; m < copies; ++m) {
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < width && x < 256; ++x) {
                const int row = m * image.height + y;
                if (row >= 256) continue;
                const uint8_t k = index(x, y);
                const uint16_t colour = image.palettes[16 * m + k];
                uint8_t* pixel = &page[4 * (256 * row + x)];
                pixel[0] = expand(colour, 0);
                pixel[1] = expand(colour, 5);
                pixel[2] = expand(colour, 10);
                pixel[3] = k == 0 ? 0 : 255;
            }
        }
    }
}

uint8_t diagonal(int x, int y) {
    return static_cast<uint8_t>((x / 4 + y) % 16);
}
uint8_t crossed(int x, int y) {
    return static_cast<uint8_t>((x ^ y) & 15);
}
uint8_t bands(int x, int y) {
    return static_cast<uint8_t>((x + y / 3) % 16);
}
uint16_t blueRamp(int m, int k) {
    return ab::rgb15(2 * k, 10 * m, 31 - k);
}
uint16_t redRamp(int m, int k) {
    return ab::rgb15(31 - k, k, 15 * m) | (k % 2 ? 0x8000 : 0);
}
uint16_t greys(int, int k) {
    return ab::rgb15(2 * k, 2 * k, 2 * k);
}

TEST(TexturePageFromArchive, SeveralImagesAndPalettesGiveTheExactPage) {
    const ab::TimImage first = patternImage(16, 32, 3, diagonal, blueRamp);  // 64 x 96
    const ab::TimImage second = patternImage(8, 48, 2, crossed, redRamp);    // 32 x 96
    const ab::TimImage third = patternImage(4, 60, 5, bands, greys);         // 16 x 60, one copy

    ab::Skeleton skeleton;
    skeleton.bones.resize(2);
    skeleton.bones[0].mesh.emplace();
    skeleton.bones[0].mesh->vertices = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    skeleton.bones[1].parent = 1;
    ab::AngleTable angles;
    angles.angles = {100, -200};
    const ab::Bytes archive = ab::buildModelArchive(skeleton, angles, {first, second, third});

    auto page = newPage();
    const Outcome out = scan(*page, archive);
    const std::vector<uint32_t> offsets = ab::entryOffsets(archive);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, "Texture offset : " + hex(offsets[3]) + "\nTexture offset : " +
                               hex(offsets[4]) + "\nTexture offset : " + hex(offsets[5]) +
                               "\nWarning : texture height or palette. [60,5]\n");
    EXPECT_EQ(page->width, 16);
    EXPECT_EQ(page->height, 60);

    // Two pixels worked out by hand anchor the painter below.
    EXPECT_EQ(pixelAt(*page, 40, 70), (Rgba{7, 167, 255, 0}));     // first, copy 2, index 0
    EXPECT_EQ(pixelAt(*page, 20, 50), (Rgba{207, 55, 127, 255}));  // second, copy 1, index 6

    std::vector<uint8_t> expected(page->pixels.size(), 0);
    paint(expected, first, diagonal, 3);
    paint(expected, second, crossed, 2);
    paint(expected, third, bands, 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), page->pixels.begin()));
}

}  // namespace
