// Disc images opened by content: each frame size gives back the ISO's user data, sheets place
// the data track after audio tracks and gaps, and what is not read yet says so in one line.
#include "disc/disc_image.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "disc_test_support.h"

namespace {

using namespace disc_test;
using test_support::TempFolder;

class DiscImageTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = new TempFolder("disc_image");
        std::filesystem::create_directories(*temp_ / "tree/SUB");
        Bytes body(300000);
        for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i * 31 + 7);
        writeFile(*temp_ / "tree/BIG.BIN", body);
        writeText(*temp_ / "tree/SUB/A.TXT", "hello");
        iso_ = new Bytes(genisoimage(*temp_, *temp_ / "tree"));
    }
    static void TearDownTestSuite() {
        delete iso_;
        delete temp_;
    }
    static std::string put(const std::string& name, const Bytes& bytes) {
        writeFile(*temp_ / name, bytes);
        return *temp_ / name;
    }
    static Bytes userData(const DiscImage& image, bool& ok) {
        Bytes out(size_t{image.sectorCount()} * kSector);
        ok = image.readUserData(0, image.sectorCount(), out.data());
        return out;
    }
    static TempFolder* temp_;
    static Bytes* iso_;
};
TempFolder* DiscImageTest::temp_ = nullptr;
Bytes* DiscImageTest::iso_ = nullptr;

TEST_F(DiscImageTest, EveryFrameSizeReadsBackTheIso) {
    const uint32_t sectors = static_cast<uint32_t>(iso_->size() / kSector);
    struct Case {
        std::string name;
        Bytes bytes;
        ImageForm form;
        FrameSize frame;
    };
    const Case cases[] = {
        {"plain.iso", *iso_, ImageForm::Iso2048, FrameSize::Cooked2048},
        {"mode1.bin", frameIso(*iso_, Frames::Mode1), ImageForm::Raw2352, FrameSize::Raw2352},
        {"mode2.bin", frameIso(*iso_, Frames::Mode2), ImageForm::Raw2352, FrameSize::Raw2352},
        {"mode2.2336", frameIso(*iso_, Frames::Mode2_2336), ImageForm::Raw2336,
         FrameSize::Mode2_2336},
    };
    for (const Case& c : cases) {
        const std::string path = put(c.name, c.bytes);
        const ImageRecognition recognition = recogniseImage(path);
        EXPECT_TRUE(recognition.image) << c.name;
        EXPECT_EQ(recognition.form, c.form) << c.name;
        DiscImage image;
        ASSERT_TRUE(DiscImage::open(path, image).ok()) << c.name;
        EXPECT_EQ(image.frameSize(), c.frame);
        EXPECT_EQ(image.sectorCount(), sectors);
        EXPECT_EQ(image.inputFiles(), std::vector<std::string>{path});
        bool ok = false;
        EXPECT_EQ(userData(image, ok), *iso_) << c.name;
        EXPECT_TRUE(ok);
        // Past the end: zeros and false.
        Bytes tail(2 * kSector, 0xee);
        EXPECT_FALSE(image.readUserData(sectors - 1, 2, tail.data()));
        EXPECT_TRUE(std::equal(tail.begin() + kSector, tail.end(), Bytes(kSector, 0).begin()));
    }
}

TEST_F(DiscImageTest, Form2SectorsAndACutTrack) {
    // Sector 20 a Form 2 sector; the image cut 1000 bytes into its last frame.
    Bytes raw = frameIso(*iso_, Frames::Mode2, 0,
                         [](uint32_t s) -> uint8_t { return s == 20 ? 0x20 | 0x04 : 0x08; });
    raw.resize(raw.size() - 2352 + 1000);
    DiscImage image;
    ASSERT_TRUE(DiscImage::open(put("cut.bin", raw), image).ok());
    const uint32_t whole = static_cast<uint32_t>(iso_->size() / kSector) - 1;
    EXPECT_EQ(image.sectorCount(), whole);
    EXPECT_EQ(image.kindOf(20), SectorKind::Mode2Form2);
    EXPECT_EQ(image.kindOf(21), SectorKind::Mode2Form1);
    bool ok = true;
    const Bytes data = userData(image, ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 20 * kSector, iso_->begin()));
    EXPECT_EQ(Bytes(data.begin() + 20 * kSector, data.begin() + 21 * kSector), Bytes(kSector, 0));
    EXPECT_TRUE(std::equal(data.begin() + 21 * kSector, data.end(), iso_->begin() + 21 * kSector));
}

TEST_F(DiscImageTest, SheetsPlaceTheDataTrackAfterAudioAndGaps) {
    // Track 1 audio in its own file (1000 frames), track 2 data with a 2 s pregap, sector
    // headers at 1000 + 150 on.
    put("Audio.BIN", Bytes(1000 * 2352, 0));
    std::filesystem::create_directory(*temp_ / "Data");
    put("Data/data.bin", frameIso(*iso_, Frames::Mode1, 1150));
    const std::string cue = *temp_ / "two files.cue";
    writeText(cue,
              "FILE \"audio.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
              "FILE \"data\\DATA.BIN\" BINARY\n  TRACK 02 MODE1/2352\n    PREGAP 00:02:00\n"
              "    INDEX 01 00:00:00\n");
    EXPECT_EQ(recogniseImage(cue).form, ImageForm::CueSheet);
    DiscImage image;
    const Result<> opened = DiscImage::open(cue, image);
    ASSERT_TRUE(opened.ok()) << opened.message;
    EXPECT_EQ(image.trackPath(), *temp_ / "Data/data.bin");
    EXPECT_EQ(image.absoluteAddress(3), 1153u);
    EXPECT_EQ(image.inputFiles().size(), 3u);
    bool ok = false;
    EXPECT_EQ(userData(image, ok), *iso_);

    // One file: audio, then the data track from its INDEX 00 (pregap in the file) on.
    Bytes single(600 * 2352, 0);
    const Bytes data = frameIso(*iso_, Frames::Mode2, 600);
    single.insert(single.end(), data.begin(), data.end());
    put("single.bin", single);
    const std::string sheet = *temp_ / "single.cue";
    writeText(sheet,
              "FILE \"single.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
              "TRACK 02 MODE2/2352\nINDEX 00 00:08:00\nINDEX 01 00:08:50\n");
    ASSERT_TRUE(DiscImage::open(sheet, image).ok());
    EXPECT_EQ(image.frameOffset(0), 650u * 2352);
    EXPECT_EQ(userData(image, ok), Bytes(iso_->begin() + 50 * kSector, iso_->end()));

    // The headers disagree with the sheet.
    writeText(
        sheet,
        "FILE \"single.bin\" BINARY\nTRACK 02 MODE2/2352\nPREGAP 00:01:00\nINDEX 01 00:08:50\n");
    EXPECT_EQ(DiscImage::open(sheet, image).message,
              sheet +
                  ": track 2: sector 0 lies at address 725 (MSF 00:11:50) by the sheet but "
                  "its header says 650 (MSF 00:10:50)");
    writeText(sheet, "FILE \"single.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    EXPECT_EQ(DiscImage::open(sheet, image).message, sheet + ": no data track");
    writeText(sheet, "FILE \"none.bin\" BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n");
    EXPECT_EQ(DiscImage::open(sheet, image).message,
              sheet + ": track file \"none.bin\" is missing");
}

TEST_F(DiscImageTest, FormatsNotReadYetAndOtherFiles) {
    const std::pair<std::string, std::string> cases[] = {
        {"game.chd", std::string("MComprHD\0\0\0\x7c", 12)},
        {"game.ecm", std::string("ECM\0\1\2", 6)},
        {"EBOOT.PBP", std::string("\0PBP\0\0\1\0", 8)},
        {"game.ccd", "[CloneCD]\r\nVersion=3\r\n"},
        {"game.toc", "CD_ROM\n\nTRACK MODE1\nDATAFILE \"game.bin\"\n"},
    };
    const char* kinds[] = {"CHD images", "ECM images", "PBP images", "CloneCD images",
                           "cdrdao TOC files"};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string path =
            put(cases[i].first, Bytes(cases[i].second.begin(), cases[i].second.end()));
        const ImageRecognition recognition = recogniseImage(path);
        EXPECT_FALSE(recognition.image);
        EXPECT_EQ(recognition.notReadYet, path + ": " + kinds[i] + " are not read yet");
        DiscImage image;
        EXPECT_EQ(DiscImage::open(path, image).message, recognition.notReadYet);
    }
    const std::string img = put("game.img", frameIso(*iso_, Frames::Mode1));
    EXPECT_EQ(recogniseImage(img).notReadYet, img + ": CloneCD images are not read yet");

    const std::string plain = put("notes.toc", Bytes(70000, 'x'));
    EXPECT_FALSE(recogniseImage(plain).image);
    EXPECT_TRUE(recogniseImage(plain).notReadYet.empty());
    DiscImage image;
    EXPECT_EQ(DiscImage::open(plain, image).message,
              plain + ": not a disc image (no CUE sheet, no sector syncs, no ISO 9660 volume)");
    EXPECT_FALSE(recogniseImage(*temp_ / "tree").image);
}

}  // namespace
