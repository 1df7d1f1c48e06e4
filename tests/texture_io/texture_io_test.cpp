// Textures out as indexed PNGs and back into the archive: the file's bytes, byte-exact round
// trips, edits landing where they should, and every refusal.

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>

#include "archive_builder.h"
#include "io/byte_order.h"
#include "png/indexed_png.h"
#include "texture_io/texture_extraction.h"
#include "texture_io/texture_replacement.h"

namespace {

namespace ab = archive_builder;

// A 4 x 2 image with two palettes, one colour with bit 15 set.
ab::TimImage smallImage() {
    ab::TimImage image;
    image.paletteCount = 2;
    image.height = 2;
    image.palettes.assign(32, 0);
    image.palettes[1] = ab::rgb15(31, 0, 0);
    image.palettes[2] = ab::rgb15(1, 2, 3) | 0x8000;
    image.palettes[16 + 1] = ab::rgb15(0, 31, 0);
    image.pixels = {0x21, 0x0F, 0x12, 0x30};
    return image;
}

// Several images, all from row 0 of the page: one taller than the page, one cut short, one
// entry that is not an image.
ab::Bytes mixedArchive() {
    ab::TimImage tall;
    tall.widthUnits = 2;
    tall.height = 300;
    for (int y = 0; y < 300; ++y) tall.setIndex(y % 8, y, static_cast<uint8_t>(y % 16));
    tall.palettes = {0x0000, 0x7FFF, 0xFFFF, 0x8001};
    ab::TimImage cut = smallImage();
    cut.height = 4;
    cut.truncateTo = cut.bytes().size() - 5;  // 3 of the 8 pixel bytes held
    ab::TimImage eightBit;
    eightBit.flags = 9;
    return ab::buildModelArchive({}, {}, {smallImage(), tall, cut, eightBit});
}

std::vector<TextureInput> asInputs(const Result<TextureExtraction>& extraction) {
    EXPECT_TRUE(extraction.ok()) << extraction.message;
    std::vector<TextureInput> inputs;
    if (!extraction) return inputs;
    for (const TextureFile& file : extraction->files) {
        if (file.name != "textures.json")
            inputs.push_back({"dir/" + file.name, file.name, file.bytes});
    }
    return inputs;
}

const TextureFile& fileNamed(const TextureExtraction& extraction, const std::string& name) {
    for (const TextureFile& file : extraction.files) {
        if (file.name == name) return file;
    }
    throw std::runtime_error("no " + name);
}

// The body of PNG chunk type in png.
std::vector<uint8_t> chunk(const std::vector<uint8_t>& png, const std::string& type) {
    std::vector<uint8_t> body;
    for (size_t at = 8; at + 12 <= png.size();) {
        const size_t length =
            (png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
        if (std::string(png.begin() + at + 4, png.begin() + at + 8) == type) {
            body.insert(body.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
        }
        at += 12 + length;
    }
    return body;
}

// A PNG written straight with libpng: any colour type, bit depth and palette size.
std::vector<uint8_t> handMadePng(int width, int height, int depth, int colourType, int paletteSize,
                                 uint8_t index) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) return {};
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep d, png_size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), d, d + n);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, depth, colourType, 0, 0, 0);
    std::vector<png_color> colours(paletteSize, png_color{10, 20, 30});
    if (paletteSize) png_set_PLTE(png, info, colours.data(), paletteSize);
    png_write_info(png, info);
    const int channels = colourType == PNG_COLOR_TYPE_RGB ? 3 : 1;
    std::vector<uint8_t> row(width * channels * depth / 8 + 1, index);
    for (int y = 0; y < height; ++y) png_write_row(png, row.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

TEST(TextureExtraction, OnePaletteFileHoldsTheIndicesAndColoursComputedByHand) {
    const ab::Bytes archive = ab::buildModelArchive({}, {}, {smallImage()});
    const Result<TextureExtraction> out = extractTextures(archive.data(), archive.size());
    ASSERT_EQ(out.message, "");
    ASSERT_EQ(out->files.size(), 3u);
    const std::vector<uint8_t>& png = fileNamed(*out, "entry3-palette0.png").bytes;

    EXPECT_EQ(chunk(png, "IHDR"), (std::vector<uint8_t>{0, 0, 0, 4, 0, 0, 0, 2, 4, 3, 0, 0, 0}));
    std::vector<uint8_t> plte(48, 7);          // channel 0 becomes 7
    plte[3] = 255;                             // colour 1: red 31
    plte[6] = 15, plte[7] = 23, plte[8] = 31;  // colour 2: 1, 2, 3; bit 15 shows nothing
    EXPECT_EQ(chunk(png, "PLTE"), plte);
    EXPECT_EQ(chunk(png, "tRNS"), std::vector<uint8_t>{0});
    const std::vector<uint8_t> idat = chunk(png, "IDAT");
    std::vector<uint8_t> rows(6);
    uLongf length = rows.size();
    ASSERT_EQ(uncompress(rows.data(), &length, idat.data(), idat.size()), Z_OK);
    // Filter byte 0, then the left pixel in the high nibble: TIM 0x21 0x0F is 1 2 F 0.
    EXPECT_EQ(rows, (std::vector<uint8_t>{0, 0x12, 0xF0, 0, 0x21, 0x03}));

    const std::string json(out->files[2].bytes.begin(), out->files[2].bytes.end());
    EXPECT_NE(json.find("\"files\": [\n        \"entry3-palette0.png\",\n        "
                        "\"entry3-palette1.png\"\n      ]"),
              std::string::npos)
        << json;
}

TEST(TextureExtraction, ListsShortAndSkippedEntriesAndRefusesAnArchiveWithoutImages) {
    const ab::Bytes archive = mixedArchive();
    const Result<TextureExtraction> out = extractTextures(archive.data(), archive.size());
    ASSERT_EQ(out.message, "");
    EXPECT_EQ(out->imageCount, 3u);
    const std::string json(out->files.back().bytes.begin(), out->files.back().bytes.end());
    EXPECT_NE(json.find("\"pixelBytes\": 8,\n      \"pixelBytesHeld\": 3,\n      \"short\": true"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"entry\": 6,\n      \"offset\": " +
                        std::to_string(ab::entryOffsets(archive)[6]) +
                        ",\n      \"reason\": \"header error\""),
              std::string::npos);

    const ab::Bytes none = ab::buildModelArchive({}, {}, {});
    EXPECT_EQ(extractTextures(none.data(), none.size()).message, "no texture image");
}

TEST(TextureReplacement, AnUnchangedExtractGivesBackTheSameBytes) {
    const ab::Bytes archive = mixedArchive();
    const Result<TextureReplacement> back =
        replaceTextures(archive.data(), archive.size(),
                        asInputs(extractTextures(archive.data(), archive.size())), "a.bin");
    ASSERT_EQ(back.message, "");
    EXPECT_EQ(back->imagesReplaced, 3u);
    EXPECT_EQ(back->archive, archive);
}

TEST(TextureReplacement, EntriesSharingBytesMustAgree) {
    // Entries 1 and 3 are the same bytes of the file (entry 2 ends before it starts).
    ab::Archive shared;
    shared.entries = {ab::Bytes(4, 0), smallImage().bytes(), ab::Bytes(4, 0), {}, {}};
    const ab::Bytes plain = shared.bytes();
    const std::vector<uint32_t> at = ab::entryOffsets(plain);
    shared.offsetOverrides = {std::nullopt, std::nullopt, std::nullopt, at[1], at[2]};
    const ab::Bytes archive = shared.bytes();
    std::vector<TextureInput> files = asInputs(extractTextures(archive.data(), archive.size()));
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(replaceTextures(archive.data(), archive.size(), files, "a")->archive, archive);

    files[0].bytes = handMadePng(4, 2, 4, PNG_COLOR_TYPE_PALETTE, 16, 0x11);
    files[1].bytes = files[0].bytes;
    EXPECT_EQ(replaceTextures(archive.data(), archive.size(), files, "a").message,
              "dir/entry1-palette0.png: the image shares bytes of the archive with another image "
              "whose files say otherwise");
}

TEST(TextureReplacement, EntriesSharingBytesMustAgreeOnTheirPalettesToo) {
    ab::Archive shared;
    shared.entries = {ab::Bytes(4, 0), smallImage().bytes(), ab::Bytes(4, 0), {}, {}};
    const std::vector<uint32_t> at = ab::entryOffsets(shared.bytes());
    shared.offsetOverrides = {std::nullopt, std::nullopt, std::nullopt, at[1], at[2]};
    const ab::Bytes archive = shared.bytes();
    std::vector<TextureInput> files = asInputs(extractTextures(archive.data(), archive.size()));
    ASSERT_EQ(files.size(), 4u);
    ASSERT_EQ(files[1].name, "entry1-palette1.png");
    // The same indices, one colour of palette 1 other than entry 3's files give.
    IndexedImage image;
    ASSERT_TRUE(decodeIndexedPng(files[1].bytes.data(), files[1].bytes.size(), 4, 2, image).ok());
    image.palette[3] = {255, 255, 255};
    ASSERT_TRUE(encodeIndexedPng(image, files[1].bytes).ok());
    EXPECT_EQ(replaceTextures(archive.data(), archive.size(), files, "a").message,
              "dir/entry1-palette0.png: the image shares bytes of the archive with another image "
              "whose files say otherwise");
    // Alone, the edit goes in.
    files.resize(2);
    EXPECT_EQ(replaceTextures(archive.data(), archive.size(), files, "a").message, "");
}

TEST(TextureReplacement, AnEditedIndexAndColourLandExactlyWhereTheyShould) {
    const ab::Bytes archive = mixedArchive();
    const Result<TextureExtraction> out = extractTextures(archive.data(), archive.size());
    // Pixel (3, 1) of entry 3 becomes index 5 in both its files; palette 1 colour 1 becomes
    // (250, 12, 130): round((c - 7) / 8) gives 30, 1 and 15.
    std::vector<TextureInput> inputs;
    for (int m = 0; m < 2; ++m) {
        IndexedImage image;
        image.width = 4, image.height = 2;
        image.indices = {1, 2, 15, 0, 2, 1, 0, 5};
        image.palette.assign(16, {7, 7, 7});
        image.palette[1] = m ? IndexedImage::Colour{250, 12, 130} : IndexedImage::Colour{255, 7, 7};
        image.palette[2] = m ? IndexedImage::Colour{7, 7, 7} : IndexedImage::Colour{15, 23, 31};
        TextureInput input{"d/x", textureFileName(3, m), {}};
        ASSERT_TRUE(encodeIndexedPng(image, input.bytes).ok());
        inputs.push_back(input);
    }
    const Result<TextureReplacement> back =
        replaceTextures(archive.data(), archive.size(), inputs, "a");
    ASSERT_EQ(back.message, "");
    const size_t entry = ab::entryOffsets(archive)[3];
    const size_t colour = entry + 20 + 32 + 2, pixel = entry + 20 + 64 + 12 + 3;
    ab::Bytes expected = archive;
    expected[colour] = 0x3E, expected[colour + 1] = 0x3C;  // 30 | 1 << 5 | 15 << 10
    expected[pixel] = 0x50;                                // (3, 1) is the high nibble
    EXPECT_EQ(back->archive, expected);
    // Bit 15 stays even when the colour changes.
    inputs[0] = inputs[1];
    inputs[0].name = textureFileName(3, 0);
    const Result<TextureReplacement> kept =
        replaceTextures(archive.data(), archive.size(), inputs, "a");
    EXPECT_EQ(readLE16(&kept->archive[entry + 20 + 4]), 0x8000);
}

TEST(TextureReplacement, EachRefusalIsOneLineNamingTheFile) {
    const ab::Bytes archive = mixedArchive();
    const Result<TextureExtraction> out = extractTextures(archive.data(), archive.size());
    const std::vector<uint8_t> good = fileNamed(*out, "entry3-palette0.png").bytes;
    auto refusal = [&](const std::string& name, std::vector<uint8_t> bytes) {
        return replaceTextures(archive.data(), archive.size(), {{"d/" + name, name, bytes}}, "a")
            .message;
    };
    EXPECT_EQ(refusal("entry3-palette0.png", {1, 2, 3}), "d/entry3-palette0.png: not a PNG");
    EXPECT_EQ(refusal("entry3-palette0.png", handMadePng(4, 2, 8, PNG_COLOR_TYPE_RGB, 0, 0)),
              "d/entry3-palette0.png: not an indexed PNG (colour type 2)");
    EXPECT_EQ(refusal("entry3-palette0.png", handMadePng(4, 2, 8, PNG_COLOR_TYPE_PALETTE, 17, 0)),
              "d/entry3-palette0.png: more than 16 palette entries (17)");
    EXPECT_EQ(refusal("entry3-palette0.png", handMadePng(4, 2, 8, PNG_COLOR_TYPE_PALETTE, 16, 16)),
              "d/entry3-palette0.png: index 16 at pixel (0, 0), at most 15");
    EXPECT_EQ(refusal("entry3-palette0.png", handMadePng(8, 2, 4, PNG_COLOR_TYPE_PALETTE, 16, 0)),
              "d/entry3-palette0.png: other size than the image: 8 x 2, the image is 4 x 2");
    EXPECT_EQ(
        refusal("entry6-palette0.png", good),
        "d/entry6-palette0.png: entry 6 is not a decoded image of the archive (header error)");
    EXPECT_EQ(refusal("entry3-palette2.png", good),
              "d/entry3-palette2.png: entry 3 has 2 palettes, not a palette 2");
    EXPECT_EQ(refusal("entry03-palette0.png", good),
              "d/entry03-palette0.png: the name does not fit entry<E>-palette<M>.png");
    std::vector<uint8_t> reordered = good;  // tRNS 00 becomes 00 00: index 1 transparent too
    const size_t trns =
        std::search(reordered.begin(), reordered.end(), "tRNS", "tRNS" + 4) - reordered.begin();
    reordered[trns - 1] = 2;
    reordered.insert(reordered.begin() + trns + 5, 0);
    const uint32_t crc = crc32(0, &reordered[trns], 6);
    for (int k = 0; k < 4; ++k) reordered[trns + 6 + k] = static_cast<uint8_t>(crc >> (24 - 8 * k));
    EXPECT_EQ(refusal("entry3-palette0.png", reordered),
              "d/entry3-palette0.png: transparent index 1: only index 0 is, has the colour map "
              "been reordered?");
    // 8-bit and 2-bit files are taken when their indices fit.
    EXPECT_EQ(refusal("entry3-palette0.png", handMadePng(4, 2, 8, PNG_COLOR_TYPE_PALETTE, 16, 15)),
              "");
    EXPECT_EQ(refusal("entry3-palette0.png", handMadePng(4, 2, 2, PNG_COLOR_TYPE_PALETTE, 4, 0xFF)),
              "");

    std::vector<TextureInput> disagree = asInputs(out);
    disagree[1].bytes = handMadePng(4, 2, 4, PNG_COLOR_TYPE_PALETTE, 16, 0x11);
    EXPECT_EQ(replaceTextures(archive.data(), archive.size(), disagree, "a").message,
              "dir/entry3-palette1.png: pixel (1, 0) is index 1, in dir/entry3-palette0.png "
              "index 2; the files of one image must agree");
}

}  // namespace
