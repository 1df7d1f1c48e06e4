// The ISO 9660 volume of an image: its entries checked against pycdlib's reading, the records
// and sectors the patcher relies on, XA Form 2 files, and directories no one should trust.
#include "disc/iso9660.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "disc_test_support.h"

namespace {

using namespace disc_test;
using test_support::TempFolder;

class IsoVolumeTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = new TempFolder("iso9660");
        const std::string tree = *temp_ / "tree";
        std::filesystem::create_directories(tree + "/SUB/DEEP");
        writeText(tree + "/A.TXT", "alpha");
        writeText(tree + "/B.TXT", "bravo");
        writeText(tree + "/EMPTY.DAT", "");
        writeFile(tree + "/BIG.BIN", Bytes(70000, 0x5a));
        for (int i = 0; i < 90; ++i) writeText(tree + "/SUB/F" + std::to_string(i) + ".DAT", "x");
        writeText(tree + "/SUB/DEEP/C.TXT", "charlie");
        iso_ = new Bytes(genisoimage(*temp_, tree));
    }
    static void TearDownTestSuite() {
        delete iso_;
        delete temp_;
    }
    static IsoVolume volumeOf(const std::string& name, const Bytes& bytes) {
        writeFile(*temp_ / name, bytes);
        DiscImage image;
        EXPECT_TRUE(DiscImage::open(*temp_ / name, image).ok()) << name;
        IsoVolume volume;
        const Result<> result = readIsoVolume(image, volume);
        EXPECT_TRUE(result.ok()) << result.message;
        return volume;
    }
    static std::string listing(const IsoVolume& volume) {
        std::ostringstream out;
        for (const IsoFile& e : volume.entries) {
            out << (e.directory ? "d " : "f ") << e.path << " " << e.extent << " " << e.size
                << "\n";
        }
        return out.str();
    }
    static TempFolder* temp_;
    static Bytes* iso_;
};
TempFolder* IsoVolumeTest::temp_ = nullptr;
Bytes* IsoVolumeTest::iso_ = nullptr;

TEST_F(IsoVolumeTest, EntriesAsPycdlibReadsThemInEveryFraming) {
    writeFile(*temp_ / "check.iso", *iso_);
    const std::string expected = runScript("list " + quoted(*temp_ / "check.iso"));
    ASSERT_NE(expected.find("f SUB/DEEP/C.TXT"), std::string::npos);
    for (Frames frames : {Frames::Mode1, Frames::Mode2, Frames::Mode2_2336}) {
        const IsoVolume raw = volumeOf("framed.bin", frameIso(*iso_, frames));
        EXPECT_EQ(listing(raw), expected);
        EXPECT_TRUE(raw.problems.empty());
    }
    const IsoVolume volume = volumeOf("plain.iso", *iso_);
    EXPECT_EQ(listing(volume), expected);
    EXPECT_EQ(volume.volumeSectors, iso_->size() / kSector);
    ASSERT_EQ(volume.used.size(), volume.volumeSectors);
    EXPECT_EQ(volume.find("sub/deep/c.txt")->path, "SUB/DEEP/C.TXT");
    EXPECT_EQ(volume.find("SUB/DEEP/C"), nullptr);

    // The SUB directory spans two sectors; its records: in the root, its ".", DEEP's "..".
    const IsoFile* sub = volume.find("SUB");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->sectors(), 2u);
    const IsoFile* deep = volume.find("SUB/DEEP");
    ASSERT_EQ(sub->records.size(), 3u);
    EXPECT_EQ(sub->records[1].sector, sub->extent);
    EXPECT_EQ(sub->records[1].offset, 0u);
    EXPECT_EQ(sub->records[2].sector, deep->extent);
    EXPECT_EQ(sub->records[2].offset, 34u);
    for (const RecordPlace& place : sub->records) {
        EXPECT_EQ(le32(*iso_, size_t{place.sector} * kSector + place.offset + 2), sub->extent);
    }
    EXPECT_EQ(volume.find("A.TXT")->records.size(), 1u);

    // Used: all but genisoimage's own descriptor (18), the padding after each path table and
    // the padding after the last file.
    for (const IsoFile& e : volume.entries) {
        for (uint32_t s = 0; s < e.sectors(); ++s) EXPECT_TRUE(volume.used[e.extent + s]) << e.path;
    }
    std::string unused, padding = "18 20 22 ";
    for (uint32_t s = 0; s < volume.used.size(); ++s) {
        if (!volume.used[s]) unused += std::to_string(s) + " ";
    }
    uint32_t end = 0;
    for (const IsoFile& e : volume.entries) end = std::max(end, e.extent + e.sectors());
    for (uint32_t s = end; s < volume.volumeSectors; ++s) {
        padding += std::to_string(s) + " ";
    }
    EXPECT_EQ(unused, padding);
    const IsoFile* big = volume.find("BIG.BIN");
    EXPECT_EQ(big->sectors(), 35u);
}

TEST_F(IsoVolumeTest, Form2ByXaAttributesOrByTheFirstSubheader) {
    runScript("write " + quoted(*temp_ / "xa.iso"));
    const Bytes xa = test_support::readWholeFile(*temp_ / "xa.iso");
    const IsoVolume plain = volumeOf("xa-plain.iso", xa);
    EXPECT_TRUE(plain.find("MOVIE.STR")->form2);
    EXPECT_FALSE(plain.find("DATA.BIN")->form2);
    EXPECT_FALSE(plain.find("SUB/VOICE.XA")->form2);

    const uint32_t dataAt = plain.find("DATA.BIN")->extent;
    const IsoVolume raw =
        volumeOf("xa.bin", frameIso(xa, Frames::Mode2, 0, [&](uint32_t s) {
                     return static_cast<uint8_t>(s == dataAt ? 0x20 | 0x04 : 0x08);
                 }));
    EXPECT_TRUE(raw.find("DATA.BIN")->form2);
    EXPECT_TRUE(raw.find("MOVIE.STR")->form2);
    EXPECT_FALSE(raw.find("SUB/VOICE.XA")->form2);
}

TEST_F(IsoVolumeTest, HostileRecordsArePassedOverInOneLineEach) {
    Bytes iso = *iso_;
    const uint32_t sectors = static_cast<uint32_t>(iso.size() / kSector);
    const uint32_t root = le32(iso, 16 * kSector + 156 + 2);
    putBoth32(iso, recordOffset(iso, "DEEP") + 2, root);              // loops back to the root
    putBoth32(iso, recordOffset(iso, "A.TXT;1") + 2, sectors + 10);   // past the image
    putBoth32(iso, recordOffset(iso, "BIG.BIN;1") + 10, 0xffffffff);  // 4 GB
    iso[recordOffset(iso, "B.TXT;1") + 34] = '/';                     // "B/TXT;1"
    std::memcpy(&iso[recordOffset(iso, "F1.DAT;1") + 33], "..", 2);   // "...DAT;1"
    iso[recordOffset(iso, "F2.DAT;1") + 25] |= 0x80;                  // multi-extent
    const std::string path = *temp_ / "hostile.iso";
    const IsoVolume volume = volumeOf("hostile.iso", iso);
    const uint32_t bigAt = volume.used.size() ? le32(iso, recordOffset(iso, "BIG.BIN;1") + 2) : 0;
    const std::vector<std::string> expected = {
        path + ": A.TXT: its extent (sector " + std::to_string(sectors + 10) +
            ", 5 bytes) runs past the end of the image (" + std::to_string(sectors) +
            " sectors); passed over",
        path + ": \"B/TXT;1\": a name that is empty or holds '/' or '..'; passed over",
        path + ": BIG.BIN: its extent (sector " + std::to_string(bigAt) +
            ", 4294967295 bytes) runs past the end of the image (" + std::to_string(sectors) +
            " sectors); passed over",
        path + ": SUB/\"...DAT;1\": a name that is empty or holds '/' or '..'; passed over",
        path + ": SUB/DEEP: a directory that loops back to one already read (sector " +
            std::to_string(root) + "); passed over",
    };
    EXPECT_EQ(volume.problems, expected);
    EXPECT_EQ(volume.find("A.TXT"), nullptr);
    EXPECT_EQ(volume.find("BIG.BIN"), nullptr);
    EXPECT_EQ(volume.find("SUB/DEEP"), nullptr);
    EXPECT_TRUE(volume.find("SUB/F2.DAT")->multiExtent);
    EXPECT_FALSE(volume.find("SUB/F3.DAT")->multiExtent);
    EXPECT_EQ(volume.entries.size(), 2u + 89);  // EMPTY.DAT, SUB, SUB/F* but one
    EXPECT_TRUE(volume.used[bigAt + 34]);       // what the image holds of it stays used

    // No primary volume descriptor: the one failure.
    Bytes none = *iso_;
    none[16 * kSector] = 2;
    writeFile(*temp_ / "none.iso", none);
    DiscImage image;
    ASSERT_TRUE(DiscImage::open(*temp_ / "none.iso", image).ok());
    IsoVolume empty;
    EXPECT_EQ(readIsoVolume(image, empty).message,
              *temp_ / "none.iso" + ": no ISO 9660 primary volume descriptor");
}

}  // namespace
