// Archives at the edges of their sizes: the most bones one parent can take, every polygon count
// at its maximum against a short file, the most texture entries the scan accepts, and an archive
// of 64 MiB. Each loads (or refuses, with one line) without reading past its buffers or
// allocating from a count the file does not back.
#include <gtest/gtest.h>

#include <cinttypes>

#include "archive/archive.h"
#include "document/document.h"
#include "hostile_test_support.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "seed_inputs.h"
#include "support/model_fixture.h"
#include "texture/texture_page.h"

namespace {

namespace ab = archive_builder;
using hostile::format;
using hostile::lines;

class HostileArchives : public test_support::ModelFixture {
  protected:
    // Builds the bones into model; console receives the skeleton loader's lines.
    int parse(const ab::Bytes& bytes, std::string* console) {
        const Archive archive = parseArchive(bytes);
        model.buildSkeleton(bytes.data(), archive);
        console->clear();
        for (const std::string& line : skeletonLoaderLines(archive)) *console += line;
        return archive.skeletonResult();
    }
};

ab::MeshBlock oneTriangle() {
    ab::MeshBlock mesh;
    mesh.vertices = {{0, 0, 0, 0}, {10, 0, 0, 0}, {0, 10, 0, 0}};
    ab::ShadedTriangle triangle;
    triangle.v = {ab::vref(0), ab::vref(1), ab::vref(2)};
    mesh.shadedTriangles.push_back(triangle);
    return mesh;
}

TEST_F(HostileArchives, SixtyFiveThousandFiveHundredThirtyFiveBonesUnderTheRoot) {
    constexpr size_t kBones = 65535;
    const ab::Bytes archive = seed_inputs::bonesUnderRoot(kBones);
    std::string console;
    ASSERT_EQ(parse(archive, &console), 0);

    ASSERT_EQ(partList.size(), kBones);
    ASSERT_EQ(boneIndexList.size(), kBones);
    EXPECT_EQ(rootNode->children.size(), kBones);
    for (size_t i = 0; i < kBones; ++i) ASSERT_EQ(partList[i]->polygonCount(), 1u) << i;
    const std::vector<std::string> printed = lines(console);
    ASSERT_EQ(printed.size(), kBones);
    const uint32_t angleTable = ab::entryOffsets(archive)[2];
    // The last bone's angle and length, int16 65534, read as -2.
    EXPECT_EQ(printed.back(), format("[%x] 65534 = -0.000192(fffffffe)", angleTable));
    EXPECT_EQ(rootNode->children.back()->boneId, 65535);
    EXPECT_EQ(rootNode->children.back()->boneOffsetMatrix[14], -2.0f);

    rootNode->selectBone(65535);
    EXPECT_EQ(partList.back()->isSelected(), 1);
    EXPECT_EQ(partList.front()->isSelected(), 0);
}

// One bone whose block holds three vertices and one shaded triangle, with one group's count
// word raised to its maximum: the block is skipped with one line and the load goes on.
TEST_F(HostileArchives, EveryGroupCountAtItsMaximumAgainstAShortFile) {
    struct Case {
        const char* name;
        size_t wordAt;  // the count word's offset in the block
        uint32_t word;
        size_t recordsAt;  // where that group's records would start
        std::string reason;
    };
    // Block layout: L at 0, three vertices, the four count words at 28, 32, 36 and 60 (after one
    // shaded triangle of 20 bytes).
    const std::vector<Case> cases = {
        {"vertex list", 0, 0xFFFFFFF8u, 4, ""},
        {"textured triangles", 28, 0xFFFFFFFFu, 32, "255 textured triangles need 4080 bytes"},
        {"textured quads", 32, 0x7FFFFFFFu, 36, "2147483647 textured quads need 42949672940 bytes"},
        {"shaded triangles", 36, 0x7FFFFFFFu, 40,
         "2147483647 shaded triangles need 42949672940 bytes"},
        {"shaded quads", 60, 0x7FFFFFFFu, 64, "2147483647 shaded quads need 51539607528 bytes"},
    };
    for (const Case& c : cases) {
        resetModelState();
        ab::Skeleton skeleton;
        skeleton.bones.resize(2);
        skeleton.bones[0].mesh = oneTriangle();
        skeleton.bones[1].mesh = oneTriangle();
        ab::Bytes archive = ab::buildModelArchive(skeleton, ab::AngleTable{0, {0, 0}});
        const size_t section = ab::entryOffsets(archive)[0];
        const size_t block = section + 12 + 8 * 2;
        ab::setLE32(archive, block + c.wordAt, c.word);

        std::string console;
        ASSERT_EQ(parse(archive, &console), 0) << c.name;
        const size_t blockSize = archive.size() - block;
        const std::string reason =
            c.wordAt == 0
                ? format(
                      "the vertex list of 4294967288 bytes runs past the end of the "
                      "mesh block (%zu bytes)",
                      blockSize)
                : c.reason + format(" but the mesh block has %zu left", blockSize - c.recordsAt);
        const std::vector<std::string> printed = lines(console);
        ASSERT_EQ(printed.size(), 3u) << c.name << ":\n" << console;
        EXPECT_EQ(printed[0], "Bone 0: the mesh block at section offset 1c is skipped: " + reason)
            << c.name;
        EXPECT_FALSE(partList[0]->hasPolygons()) << c.name;
        EXPECT_EQ(partList[1]->polygonCount(), 1u) << c.name;
    }
}

// 255 entries, the most the scan accepts: every entry but the last is an image, each decoded in
// turn into the same page, so the last one's size and colour remain.
TEST(HostileTextureArchives, TwoHundredFiftyFiveEntriesOfTextures) {
    ab::Archive archive;
    for (int k = 0; k < 254; ++k) {
        ab::TimImage image;
        image.widthUnits = static_cast<uint16_t>(1 + k % 64);
        image.height = static_cast<uint16_t>(1 + k % 16);
        image.palettes = {0, ab::rgb15(static_cast<uint8_t>(k % 32), 0, 31)};
        for (int x = 0; x < 4 * image.widthUnits; ++x) image.setIndex(x, 0, 1);
        archive.entries.push_back(image.bytes());
    }
    archive.entries.push_back(ab::Bytes(4, 0));
    const ab::Bytes bytes = archive.bytes();
    ASSERT_EQ(ab::entryOffsets(bytes).size(), 255u);

    const Archive reading = parseArchive(bytes);
    auto page = std::make_unique<TexturePage>();
    page->decodeImages(bytes.data(), reading);
    EXPECT_EQ(reading.texturesResult(), 0);
    std::string console;
    for (const std::string& line : textureLoaderLines(reading)) console += line;

    std::string expected;
    for (size_t k = 0; k < 254; ++k) {
        expected += format("Texture offset : %x\n", ab::entryOffsets(bytes)[k]);
    }
    EXPECT_EQ(console, expected);
    EXPECT_EQ(page->width, 4 * (1 + 253 % 64));
    EXPECT_EQ(page->height, 1 + 253 % 16);
    const uint8_t* pixel = &page->pixels[0];
    EXPECT_EQ(pixel[0], 8 * (253 % 32) + 7);
    EXPECT_EQ(pixel[2], 255);
    EXPECT_EQ(pixel[3], 255);
}

// An archive of exactly 64 MiB: the sound model, then one image entry that fills the rest and
// declares far more rows and columns than it holds. The skeleton loads as from a small file, and
// the texture scan decodes the rows the entry holds and reports the rest.
TEST_F(HostileArchives, AnArchiveOf64MiB) {
    constexpr size_t kArchiveBytes = 64u << 20;
    const ab::Bytes bytes = seed_inputs::archiveOf64MiB();
    ASSERT_EQ(bytes.size(), kArchiveBytes);
    hostile::TempFolder folder;
    const std::string path = folder / "huge.archive";
    ASSERT_TRUE(ab::writeFile(path, bytes));

    const Result<Document> document = loadDocument(Source::file(path), UnreadLines::Loaders);
    ASSERT_TRUE(document.ok()) << document.message;
    EXPECT_EQ(document->archive.texturesResult(), -1);
    std::string textures;
    for (const std::string& line : textureLoaderLines(document->archive)) textures += line;
    const std::vector<uint32_t> at = ab::entryOffsets(bytes);
    const uint64_t declared = 64 + uint64_t{0xFFFF} * 2 * 0xFFFF;
    EXPECT_EQ(textures, format("Texture offset : %x\nTexture offset : %x\nTexture offset : %x\n"
                               "Warning : texture width. [262140]\n"
                               "Warning : texture height or palette. [65535,1]\n"
                               "Error : texture data truncated. [%zu of %" PRIu64 " bytes]\n",
                               at[3], at[4], at[5], size_t{at[6] - at[5]}, declared));
    // The rows the entry holds were decoded up to the page's edge.
    const Model& model = *document->model;
    const uint8_t* corner = &model.texturePage().pixels[4 * (256 * 255 + 255)];
    EXPECT_EQ(std::vector<uint8_t>(corner, corner + 4), (std::vector<uint8_t>{255, 255, 255, 255}));

    EXPECT_EQ(document->archive.skeletonResult(), 0);
    std::vector<std::string> bones;
    for (const std::string& line : skeletonLoaderLines(document->archive)) {
        bones.push_back(line.substr(0, line.size() - 1));
    }
    ASSERT_EQ(bones.size(), 5u);
    EXPECT_EQ(bones[4], format("[%x] 4 = 0.095875(3e8)", at[2]));
    EXPECT_EQ(model.partList().size(), 5u);
    EXPECT_EQ(model.partList()[0]->polygonCount(), 6u);
}

}  // namespace
