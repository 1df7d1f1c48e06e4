// Finding the TIM entries of an archive: which entries are examined, the loader's lines, the
// result, and archives whose counts and offsets cannot be trusted.

#include <gtest/gtest.h>

#include <cstdio>

#include "document/document.h"
#include "texture_test_support.h"

namespace {

using namespace texture_test;

ab::TimImage solidImage(int widthUnits, int height, uint8_t index, uint16_t colour) {
    ab::TimImage image;
    image.palettes.assign(16, 0);
    image.palettes[index] = colour;
    image.widthUnits = static_cast<uint16_t>(widthUnits);
    image.height = static_cast<uint16_t>(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < 4 * widthUnits; ++x) image.setIndex(x, y, index);
    }
    return image;
}

const Rgba kRed{255, 7, 7, 255};
const Rgba kGreen{7, 255, 7, 255};
const Rgba kClear{0, 0, 0, 0};

ab::Bytes word(uint32_t value) {
    ab::Bytes bytes;
    ab::putLE32(bytes, value);
    return bytes;
}

std::string offsetLine(uint32_t offset) {
    return "Texture offset : " + hex(offset) + "\n";
}

TEST(ArchiveScan, ModelArchiveWithOneImagePrintsOnlyItsOffset) {
    auto page = newPage();
    const ab::Bytes archive = ab::buildModelArchive({}, {}, {solidImage(1, 1, 1, 0x001F)});
    const Outcome out = scan(*page, archive);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, offsetLine(ab::entryOffsets(archive)[3]));
    EXPECT_EQ(pixelAt(*page, 3, 0), kRed);
}

TEST(ArchiveScan, DocumentOfAFileDecodesItsImagesOrSaysItCannotBeOpened) {
    const std::string path = testing::TempDir() + "texture_scan_model.bin";
    ASSERT_TRUE(ab::writeFile(path, ab::buildModelArchive({}, {}, {solidImage(2, 3, 1, 0x03E0)})));
    const Result<Document> document = loadDocument(Source::file(path), UnreadLines::Loaders);
    ASSERT_TRUE(document.ok()) << document.message;
    EXPECT_EQ(document->model->texturePage().width, 8);
    EXPECT_EQ(pixelAt(document->model->texturePage(), 7, 2), kGreen);
    EXPECT_TRUE(document->hasTexture());
    std::remove(path.c_str());

    const Result<Document> missing =
        loadDocument(Source::file("/nonexistent/model.bin"), UnreadLines::Loaders);
    EXPECT_EQ(
        missing.message,
        "File cannot open. [/nonexistent/model.bin]\n/nonexistent/model.bin cannot found...\n");
}

TEST(ArchiveScan, EntryCountBelow256IsAcceptedAnd256Refused) {
    // 255 entries, the next-to-last an image.
    std::vector<ab::Bytes> entries(253, word(0));
    entries.push_back(solidImage(1, 1, 1, 0x001F).bytes());
    ab::Archive archive;
    archive.entries = entries;
    archive.entries.push_back(word(0));
    auto page = newPage();
    Outcome out = scan(*page, archive.bytes());
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(pixelAt(*page, 0, 0), kRed);

    archive.entries.push_back(word(0));  // 256
    page = newPage();
    out = scan(*page, archive.bytes());
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.console, "Warning num of entries. [256]\n");
    EXPECT_TRUE(pageIsClear(*page));
}

TEST(ArchiveScan, NoEntryIsExaminedWhenThereAreFewerThanTwo) {
    auto page = newPage();
    Outcome out = scan(*page, word(0));
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, "");

    ab::Archive single;
    single.entries = {solidImage(1, 1, 1, 0x001F).bytes()};
    out = scan(*page, single.bytes());
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, "");
    EXPECT_TRUE(pageIsClear(*page));
    EXPECT_EQ(page->width, 0);
}

TEST(ArchiveScan, ImageStoredAsTheLastEntryIsNeverFound) {
    auto page = newPage();
    ab::Archive archive;
    archive.entries = {word(0), word(0), solidImage(1, 1, 1, 0x001F).bytes()};
    const Outcome out = scan(*page, archive.bytes());
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, "");
    EXPECT_TRUE(pageIsClear(*page));
}

TEST(ArchiveScan, SkeletonOf16BonesIsTakenForAnImage) {
    ab::Skeleton skeleton;
    skeleton.bones.resize(16);
    auto page = newPage();
    ab::Bytes archive = ab::buildModelArchive(skeleton, {});
    Outcome out = scan(*page, archive);
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.console, offsetLine(ab::entryOffsets(archive)[0]) +
                               "Header error. : Texture data. [10 0 0 0 0 0 0 0 ]\n");

    // A later image that decodes makes the scan succeed.
    archive = ab::buildModelArchive(skeleton, {}, {solidImage(1, 1, 1, 0x001F)});
    out = scan(*page, archive);
    EXPECT_EQ(out.result, 0);
    const std::vector<uint32_t> offsets = ab::entryOffsets(archive);
    EXPECT_EQ(out.console, offsetLine(offsets[0]) +
                               "Header error. : Texture data. [10 0 0 0 0 0 0 0 ]\n" +
                               offsetLine(offsets[3]));
}

TEST(ArchiveScan, ResultIsThatOfTheLastImageDecoded) {
    ab::TimImage bad = solidImage(1, 1, 1, 0x03E0);
    bad.clutLength = 0x10C;
    const ab::TimImage good = solidImage(1, 1, 1, 0x001F);

    auto page = newPage();
    Outcome out = scan(*page, archiveOf({good.bytes(), bad.bytes()}));
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.console,
              "Texture offset : 10\nTexture offset : 52\n"
              "Error : palette size [     10c]\n");
    EXPECT_EQ(pixelAt(*page, 0, 0), kRed);  // the failed image leaves the good one

    out = scan(*page, archiveOf({bad.bytes(), good.bytes()}));
    EXPECT_EQ(out.result, 0);
}

TEST(ArchiveScan, LaterImageOverwritesEarlierOneFromTheTopLeft) {
    auto page = newPage();
    const ab::Bytes archive =
        archiveOf({solidImage(2, 4, 1, 0x001F).bytes(), solidImage(1, 2, 3, 0x03E0).bytes()});
    const Outcome out = scan(*page, archive);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(page->width, 4);
    EXPECT_EQ(page->height, 2);
    EXPECT_EQ(pixelAt(*page, 0, 0), kGreen);
    EXPECT_EQ(pixelAt(*page, 3, 1), kGreen);
    EXPECT_EQ(pixelAt(*page, 4, 0), kRed);  // the first shows beside the second
    EXPECT_EQ(pixelAt(*page, 0, 2), kRed);  // and below it
    EXPECT_EQ(pixelAt(*page, 7, 3), kRed);
    EXPECT_EQ(pixelAt(*page, 8, 0), kClear);
    EXPECT_EQ(pixelAt(*page, 0, 4), kClear);
}

// Hostile offset tables: one line for the bad entry, -1 for it, and the scan goes on.
TEST(ArchiveScanHostile, EntryThatEndsBeforeItStartsOrBeyondTheFile) {
    const ab::Bytes image = solidImage(1, 1, 1, 0x001F).bytes();
    const ab::Bytes later = solidImage(1, 1, 1, 0x03E0).bytes();
    ab::Archive archive;
    archive.entries = {image, word(0), later, word(0)};
    const uint32_t laterOffset = ab::entryOffsets(archive.bytes())[2];
    const uint32_t fileSize = static_cast<uint32_t>(archive.bytes().size());

    // The entry after the first starts at 0 (its word there is N = 4, not an image).
    archive.offsetOverrides = {std::nullopt, 0u};
    auto page = newPage();
    Outcome out = scan(*page, archive.bytes());
    EXPECT_EQ(out.console,
              "Texture offset : 14\n"
              "Error : texture entry outside the file. [14,0] file size [" +
                  hex(fileSize) + "]\n" + offsetLine(laterOffset));
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(pixelAt(*page, 0, 0), kGreen);

    // Ends one byte past the file; the next entry starts there and is passed over.
    archive.offsetOverrides = {std::nullopt, fileSize + 1};
    page = newPage();
    out = scan(*page, archive.bytes());
    EXPECT_EQ(out.console,
              "Texture offset : 14\n"
              "Error : texture entry outside the file. [14," +
                  hex(fileSize + 1) + "] file size [" + hex(fileSize) + "]\n" +
                  offsetLine(laterOffset));

    // A bad last image decides the result; the good first one stays.
    archive.offsetOverrides = {std::nullopt, std::nullopt, std::nullopt, 0xFFFFFFF0u};
    page = newPage();
    out = scan(*page, archive.bytes());
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.console, "Texture offset : 14\n" + offsetLine(laterOffset) +
                               "Error : texture entry outside the file. [" + hex(laterOffset) +
                               ",fffffff0] file size [" + hex(fileSize) + "]\n");
    EXPECT_EQ(pixelAt(*page, 0, 0), kRed);
}

TEST(ArchiveScanHostile, EntryEndingExactlyAtTheEndOfTheFileIsRead) {
    ab::Archive archive;
    archive.entries = {solidImage(1, 1, 1, 0x001F).bytes(), word(0)};
    archive.offsetOverrides = {std::nullopt, static_cast<uint32_t>(archive.bytes().size())};
    auto page = newPage();
    const Outcome out = scan(*page, archive.bytes());
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, "Texture offset : c\n");
    EXPECT_EQ(pixelAt(*page, 0, 0), kRed);
}

TEST(ArchiveScanHostile, EntryStartingOutsideTheFileIsPassedOver) {
    ab::Archive archive;
    archive.entries = {word(0), solidImage(1, 1, 1, 0x001F).bytes(), word(0)};
    archive.offsetOverrides = {0xFFFFFFFEu};
    auto page = newPage();
    const Outcome out = scan(*page, archive.bytes());
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.console, offsetLine(ab::entryOffsets(archive.bytes())[1]));
}

TEST(ArchiveScanHostile, FileShorterThanItsOffsetTable) {
    ab::Archive archive;
    archive.entries = {solidImage(1, 1, 1, 0x001F).bytes(), word(0)};
    archive.countOverride = 200;
    const ab::Bytes bytes = archive.bytes();
    auto page = newPage();
    Outcome out = scan(*page, bytes);
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.console, "Error : offset table beyond the end of the file. [200 entries, " +
                               std::to_string(bytes.size()) + " bytes]\n");
    EXPECT_TRUE(pageIsClear(*page));

    out = scan(*page, {});
    EXPECT_EQ(out.result, -1);
    EXPECT_EQ(out.console,
              "Error : offset table beyond the end of the file. [0 entries, 0 bytes]\n");
}

TEST(ArchiveScanHostile, EntriesShorterThanTheirHeaderAndEmptyEntries) {
    ab::Archive archive;
    const ab::Bytes stub = {16, 0, 0, 0, 8, 0};  // an image id and half its flags word
    const ab::Bytes image = solidImage(1, 1, 1, 0x001F).bytes();
    // Entry 1 is empty: it starts where entry 2, an image, starts, so its first word is 16.
    archive.entries = {stub, {}, image, word(0)};
    auto page = newPage();
    const Outcome out = scan(*page, archive.bytes());
    EXPECT_EQ(out.console,
              "Texture offset : 14\n"
              "Error : texture data truncated. [6 of 8 bytes]\n"
              "Texture offset : 1a\n"
              "Error : texture data truncated. [0 of 8 bytes]\n"
              "Texture offset : 1a\n");
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(pixelAt(*page, 0, 0), kRed);
}

}  // namespace
