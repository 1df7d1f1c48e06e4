// Archives and TIM images found in a container's bytes: which archives are taken for ones, and
// where a scan puts each item, how long, and what it leaves out.

#include "scan/item_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "archive_builder.h"
#include "scan/file_bytes.h"
#include "scan/memory_bytes.h"
#include "support/test_files.h"
#include "support/tim_bytes.h"

namespace {

namespace ab = archive_builder;
using test_support::TimBytes;

ab::TimImage texture(uint8_t palettes) {
    ab::TimImage image;
    image.paletteCount = palettes;
    image.widthUnits = 2;
    image.height = 4;
    image.setIndex(1, 1, 5);
    return image;
}

// Three bones, the second with a mesh, and two textures.
ab::Skeleton skeleton() {
    ab::Skeleton skeleton;
    skeleton.bones.resize(3);
    skeleton.bones[1].parent = 1;
    skeleton.bones[2].parent = 2;
    ab::MeshBlock mesh;
    mesh.vertices = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    mesh.shadedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(2)}, {}});
    skeleton.bones[1].mesh = mesh;
    return skeleton;
}
ab::AngleTable angles(size_t count) {
    ab::AngleTable table;
    table.angles.assign(count, 100);
    return table;
}
ab::Bytes soundArchive() {
    // A fourth angle keeps the textures 4-byte aligned, where a scan looks for TIMs.
    return ab::buildModelArchive(skeleton(), angles(4), {texture(1), texture(2)});
}

bool plausible(const ab::Bytes& bytes, ArchiveShape& shape) {
    return plausibleArchive(MemoryBytes(bytes), 0, bytes.size(), shape);
}
bool plausible(const ab::Bytes& bytes) {
    ArchiveShape shape;
    return plausible(bytes, shape);
}

// An archive whose table the caller bends.
ab::Archive soundArchiveParts() {
    ab::Archive archive;
    archive.entries = {skeleton().bytes(), ab::Bytes(4, 0), angles(3).bytes(), texture(1).bytes(),
                       ab::Bytes(4, 0)};
    return archive;
}

TEST(ArchivePlausibility, TheSoundArchiveIsTakenWithItsShape) {
    const ab::Bytes bytes = soundArchive();
    ArchiveShape shape;
    ASSERT_TRUE(plausible(bytes, shape));
    EXPECT_EQ(shape.entries, 6u);
    EXPECT_EQ(shape.bones, 3u);
    EXPECT_EQ(shape.textures, 2u);
    EXPECT_EQ(shape.lastEntryStart, ab::entryOffsets(bytes).back());
    EXPECT_EQ(shape.lastEntryStart, bytes.size() - 4);

    // The same bytes inside a bigger buffer, the limit at their end.
    ab::Bytes container(2048, 0);
    container.insert(container.end(), bytes.begin(), bytes.end());
    container.resize(container.size() + 100, 0xEE);
    EXPECT_TRUE(plausibleArchive(MemoryBytes(container), 2048, 2048 + bytes.size(), shape));
    EXPECT_FALSE(plausibleArchive(MemoryBytes(container), 2048, 2048 + bytes.size() - 4, shape));
}

TEST(ArchivePlausibility, RandomBytesTextAndAbsurdCountsAreNotArchives) {
    std::mt19937 random(11);
    int taken = 0;
    for (int trial = 0; trial < 2000; ++trial) {
        ab::Bytes bytes(4096);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
        bytes[0] = static_cast<uint8_t>(3 + random() % 253);  // a count that passes
        bytes[1] = bytes[2] = bytes[3] = 0;
        taken += plausible(bytes);
    }
    EXPECT_EQ(taken, 0);

    std::string text;
    while (text.size() < 4096) text += "\x05\x00\x00\x00 the quick brown fox jumps over ";
    EXPECT_FALSE(plausible(ab::Bytes(text.begin(), text.end())));

    for (uint32_t count : {0u, 1u, 2u, 256u, 0xFFFFFFFFu}) {
        ab::Archive archive = soundArchiveParts();
        archive.countOverride = count;
        EXPECT_FALSE(plausible(archive.bytes())) << count;
    }
}

TEST(ArchivePlausibility, SkeletonsThatCannotAttachAreRefused) {
    ab::Skeleton forward = skeleton();
    forward.bones[1].parent = 3;  // bone 2 of 3 naming bone 3, after it
    EXPECT_FALSE(plausible(ab::buildModelArchive(forward, angles(3))));
    forward.bones[1].parent = 2;  // naming itself
    EXPECT_FALSE(plausible(ab::buildModelArchive(forward, angles(3))));
    forward.bones[1].parent = 1;
    EXPECT_TRUE(plausible(ab::buildModelArchive(forward, angles(3))));

    ab::Skeleton outside = skeleton();
    outside.bones[0].meshOffsetOverride = static_cast<uint32_t>(outside.bytes().size());
    EXPECT_FALSE(plausible(ab::buildModelArchive(outside, angles(3))));
    outside.bones[0].meshOffsetOverride = static_cast<uint32_t>(outside.bytes().size() - 1);
    EXPECT_TRUE(plausible(ab::buildModelArchive(outside, angles(3))));

    EXPECT_FALSE(plausible(ab::buildModelArchive(skeleton(), angles(2))));  // angles short
    ab::Skeleton none = skeleton();
    none.boneCountOverride = 0;
    EXPECT_FALSE(plausible(ab::buildModelArchive(none, angles(3))));
    none.boneCountOverride = 100;  // more records than the entry holds
    EXPECT_FALSE(plausible(ab::buildModelArchive(none, angles(100))));
}

TEST(ArchivePlausibility, OffsetsMustAscendInsideTheBytes) {
    const ab::Bytes good = soundArchiveParts().bytes();
    const std::vector<uint32_t> offsets = ab::entryOffsets(good);
    ab::Archive archive = soundArchiveParts();
    archive.offsetOverrides.assign(5, std::nullopt);
    archive.offsetOverrides[2] = offsets[1];  // an empty entry 1
    EXPECT_FALSE(plausible(archive.bytes()));
    archive.offsetOverrides[2] = offsets[3] + 1;  // past entry 3's start
    EXPECT_FALSE(plausible(archive.bytes()));
    archive.offsetOverrides.assign(5, std::nullopt);
    archive.offsetOverrides[0] = 20;  // inside the table
    EXPECT_FALSE(plausible(archive.bytes()));
    archive.offsetOverrides.assign(5, std::nullopt);
    archive.offsetOverrides[4] = static_cast<uint32_t>(good.size());  // the last entry empty
    EXPECT_FALSE(plausible(archive.bytes()));
}

// A container made here: archives at 2048-byte boundaries with their textures, loose TIMs at
// odd 4-byte-aligned offsets, random filler, and a TIM across the scan's 4 MiB window.
struct Container {
    ab::Bytes bytes;
    std::mt19937 random{5};

    void fillTo(size_t end) {
        while (bytes.size() < end) bytes.push_back(static_cast<uint8_t>(random()));
    }
    void put(size_t at, const ab::Bytes& item) {
        fillTo(at);
        ASSERT_EQ(bytes.size(), at);
        bytes.insert(bytes.end(), item.begin(), item.end());
    }
};

TimBytes loose(uint32_t flags, uint16_t widthUnits, uint16_t height) {
    const uint16_t clutWidth = flags == 9 ? 256 : flags == 8 ? 16 : 0;
    TimBytes tim = TimBytes::of(flags, clutWidth, clutWidth ? 1 : 0, widthUnits, height);
    for (size_t k = 0; k < size_t{widthUnits} * 2 * height; ++k) tim.pixels.push_back(k * 7);
    return tim;
}

TEST(ContainerScan, ItemsInOrderWithExactSizesAndNoneTwice) {
    const ab::Bytes archive = soundArchive();
    const ab::Bytes sixteen = loose(2, 10, 3).bytes();
    const ab::Bytes eight = loose(9, 4, 4).bytes();
    const ab::Bytes twentyFour = loose(3, 6, 5).bytes();
    const ab::Bytes across = loose(8, 64, 8).bytes();
    const size_t window = size_t{4} << 20;

    Container c;
    c.put(1028, sixteen);
    c.put(4096, archive);
    const size_t eightAt = 4096 + archive.size() + 36;
    c.put(eightAt, eight);
    c.put(3 * 4096 - 2048, archive);                      // a boundary that is not a 4096 one
    c.put(3 * 4096 - 2048 + archive.size(), twentyFour);  // right after its last entry
    c.put(2048 * 20, sixteen);                            // a TIM on an archive boundary
    c.put(window - 60, across);
    c.put(window + 8192, archive);
    c.fillTo(window + 8192 + archive.size() + 5001);  // an end off the 4-byte grid

    std::vector<uint64_t> progress;
    const ContainerScan scan =
        scanWholeContainer(MemoryBytes(c.bytes), [&](uint64_t done) { progress.push_back(done); });
    EXPECT_TRUE(scan.complete);
    struct Expected {
        ScanItem::Kind kind;
        uint64_t offset, size;
    };
    const std::vector<Expected> expected = {
        {ScanItem::Tim, 1028, sixteen.size()},
        {ScanItem::Archive, 4096, eightAt - 4096},
        {ScanItem::Tim, eightAt, eight.size()},
        {ScanItem::Archive, 3 * 4096 - 2048, archive.size()},
        {ScanItem::Tim, 3 * 4096 - 2048 + archive.size(), twentyFour.size()},
        {ScanItem::Tim, 2048 * 20, sixteen.size()},
        {ScanItem::Tim, window - 60, across.size()},
        {ScanItem::Archive, window + 8192, archive.size() + 5001},
    };
    ASSERT_EQ(scan.items.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(scan.items[k].kind, expected[k].kind) << k;
        EXPECT_EQ(scan.items[k].offset, expected[k].offset) << k;
        EXPECT_EQ(scan.items[k].size, expected[k].size) << k;
        if (k > 0) {
            EXPECT_LE(scan.items[k - 1].offset + scan.items[k - 1].size, scan.items[k].offset);
        }
    }
    EXPECT_EQ(scan.items[1].archive.textures, 2u);
    EXPECT_EQ(scan.items[2].tim.bpp, 8);
    EXPECT_EQ(scan.items[4].tim.bpp, 24);
    EXPECT_EQ(scan.items[6].tim.bpp, 4);
    ASSERT_GE(progress.size(), 2u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), c.bytes.size());

    // The same through a file on disk.
    test_support::TempFolder folder;
    ASSERT_TRUE(ab::writeFile(folder / "container", c.bytes));
    FileBytes file;
    const Result<> opened = file.open(folder / "container");
    ASSERT_TRUE(opened.ok()) << opened.message;
    const std::vector<ScanItem> fromFile = scanContainer(file);
    ASSERT_EQ(fromFile.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(fromFile[k].offset, expected[k].offset) << k;
        EXPECT_EQ(fromFile[k].size, expected[k].size) << k;
    }
    const Result<> folderOpened = file.open(folder.path());
    EXPECT_EQ(folderOpened.code, FileBytes::kNotRegularFile);
    EXPECT_EQ(folderOpened.message, "not a regular file");
}

TEST(ContainerScan, AWholeFileArchiveIsOneItemAndArchivesKeepToTheirBoundaries) {
    const ab::Bytes archive = soundArchive();
    std::vector<ScanItem> items = scanContainer(MemoryBytes(archive));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].kind, ScanItem::Archive);
    EXPECT_EQ(items[0].offset, 0u);
    EXPECT_EQ(items[0].size, archive.size());

    // Off a 2048-byte boundary the archive is not one; its textures are found loose.
    ab::Bytes shifted(1024, 0);
    shifted.insert(shifted.end(), archive.begin(), archive.end());
    items = scanContainer(MemoryBytes(shifted));
    ASSERT_EQ(items.size(), 2u);
    const std::vector<uint32_t> offsets = ab::entryOffsets(archive);
    EXPECT_EQ(items[0].offset, 1024 + offsets[3]);
    EXPECT_EQ(items[1].offset, 1024 + offsets[4]);
    EXPECT_EQ(items[1].kind, ScanItem::Tim);

    EXPECT_TRUE(scanContainer(MemoryBytes(ab::Bytes(7, 0))).empty());
}

// Bytes whose reads fail from some offset on.
class FailingBytes : public RandomAccess {
  public:
    FailingBytes(const ab::Bytes& bytes, uint64_t failFrom) : bytes_(bytes), failFrom_(failFrom) {}
    uint64_t size() const override { return bytes_.size(); }
    bool read(uint64_t offset, size_t length, uint8_t* out) const override {
        if (offset + length > failFrom_) return false;
        return MemoryBytes(bytes_).read(offset, length, out);
    }

  private:
    const ab::Bytes& bytes_;
    uint64_t failFrom_;
};

TEST(ContainerScan, AFailedReadEndsTheScanIncomplete) {
    ab::Bytes bytes = soundArchive();
    bytes.resize((size_t{4} << 20) + 4096, 0);
    const ContainerScan scan = scanWholeContainer(FailingBytes(bytes, size_t{4} << 20));
    EXPECT_FALSE(scan.complete);
    // The first window ends at the failing point; the next, for the last word of it, fails.
    const uint64_t failedAt = (uint64_t{4} << 20) - 4;
    EXPECT_EQ(scan.failedAt, failedAt);
    ASSERT_EQ(scan.items.size(), 1u);
    EXPECT_EQ(scan.items[0].size, failedAt);
}

}  // namespace
