#include "disc/image_patch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "disc/disc_image.h"
#include "disc/iso9660.h"
#include "disc/sector_codes.h"
#include "disc_builder.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
using test_support::readWholeFile;

std::vector<uint8_t> randomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
    return bytes;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A disc as genisoimage lays it out: A.BIN at 25-26, B.BIN at 27-29, SUB/C.BIN at 30, then
// zero padding to the volume's end. Each file's last sector carries the end bits; C is file 1.
class ImagePatch : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(folder / "tree/SUB");
        writeFile(folder / "tree/A.BIN", randomBytes(3000, 1));
        writeFile(folder / "tree/B.BIN", b);
        writeFile(folder / "tree/SUB/C.BIN", randomBytes(100, 3));
        const std::string command = "genisoimage -quiet -o '" + (folder / "disc.iso") + "' '" +
                                    (folder / "tree") + "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        iso = readWholeFile(folder / "disc.iso");
        ASSERT_EQ(memberSize(folder / "disc.iso", "B.BIN"), 5000u);
    }

    std::string frame(Framing framing, bool cForm2 = false) {
        const auto raw = frameImage(iso, framing, [&](uint32_t sector) {
            Subheader sub;
            if (sector == 26 || sector == 29 || sector == 30) sub.submode |= 0x81;
            if (sector == 30) sub.file = 1;
            if (sector == 30 && cForm2) sub.submode = 0x20 | 0x81;
            return sub;
        });
        writeFile(folder / "disc.bin", raw);
        return folder / "disc.bin";
    }

    static uint32_t memberSize(const std::string& path, const std::string& member,
                               std::vector<uint8_t>* bytes = nullptr) {
        DiscImage image;
        IsoVolume volume;
        if (!DiscImage::open(path, image).ok() || !readIsoVolume(image, volume).ok()) return 0;
        const IsoFile* file = volume.find(member);
        if (!file) return 0;
        if (bytes) {
            bytes->resize(size_t{file->sectors()} * 2048);
            image.readUserData(file->extent, file->sectors(), bytes->data());
            bytes->resize(file->size);
        }
        return file->size;
    }

    Result<> patch(const std::string& in, std::vector<MemberReplacement> replacements,
                 const std::vector<SectorRange>& found = {}) {
        return patchImage(in, folder / "out.bin", replacements, {}, found);
    }

    size_t filesInFolder() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder.path()), {}));
    }

    test_support::TempFolder folder{"image_patch"};
    std::vector<uint8_t> b = randomBytes(5000, 2);
    std::vector<uint8_t> iso;
};

const uint8_t* frameAt(const std::vector<uint8_t>& image, size_t sector, size_t frameBytes) {
    return image.data() + sector * frameBytes;
}

TEST_F(ImagePatch, RewritesOnlyTheMembersSectorsInEveryForm) {
    for (const Framing framing :
         {Framing::Mode2Form1_2352, Framing::Mode1_2352, Framing::Mode2_2336}) {
        const std::string in = frame(framing);
        const auto before = readWholeFile(in);
        const size_t frameBytes = framing == Framing::Mode2_2336 ? 2336 : 2352;
        const auto grown = randomBytes(5000, 9);  // C.BIN: 1 sector to 3, into the padding
        const auto same = randomBytes(5000, 8);
        uint64_t lastDone = 0, lastTotal = 1;
        ASSERT_TRUE(
            patchImage(in, folder / "out.bin",
                       {{"SUB/C.BIN", 0, false, 0, grown}, {"b.bin", 0, false, 0, same}},
                       [&](uint64_t done, uint64_t total) { lastDone = done, lastTotal = total; })
                .ok());
        EXPECT_EQ(lastDone, lastTotal);
        const auto after = readWholeFile(folder / "out.bin");
        ASSERT_EQ(after.size(), before.size());
        std::vector<uint8_t> read;
        EXPECT_EQ(memberSize(folder / "out.bin", "SUB/C.BIN", &read), 5000u);
        EXPECT_EQ(read, grown);
        EXPECT_EQ(memberSize(folder / "out.bin", "B.BIN", &read), 5000u);
        EXPECT_EQ(read, same);
        // Rewritten: B (27-29), C (30-32) and SUB's directory (24) for C's new size.
        for (size_t s = 0; s < before.size() / frameBytes; ++s) {
            const bool rewritten = s == 24 || (s >= 27 && s <= 32);
            const bool equal = std::memcmp(frameAt(before, s, frameBytes),
                                           frameAt(after, s, frameBytes), frameBytes) == 0;
            EXPECT_EQ(equal, !rewritten) << "sector " << s;
            if (!rewritten || framing == Framing::Mode2_2336) continue;
            EXPECT_TRUE(sectorCodesVerify(frameAt(after, s, frameBytes))) << "sector " << s;
        }
        if (framing == Framing::Mode2Form1_2352) {
            // The end bits moved from C's old last sector to its new one, which took C's file.
            const auto submode = [&](size_t s) { return after[s * 2352 + 18]; };
            const auto file = [&](size_t s) { return after[s * 2352 + 16]; };
            EXPECT_EQ(submode(30), 0x08);
            EXPECT_EQ(submode(31), 0x08);
            EXPECT_EQ(submode(32), 0x89);
            EXPECT_EQ(file(32), 1);
            EXPECT_EQ(submode(29), 0x89);
            EXPECT_EQ(std::memcmp(&after[32 * 2352 + 16], &after[32 * 2352 + 20], 4), 0);
        }
    }
}

TEST_F(ImagePatch, ACookedImageGrowsAsAnotherReaderSeesIt) {
    ASSERT_TRUE(patchImage(folder / "disc.iso", folder / "out.iso",
                           {{"SUB/C.BIN", 0, false, 0, randomBytes(4097, 4)}})
                    .ok());
    const std::string command =
        "/usr/bin/python3 -c \"import pycdlib,sys; i=pycdlib.PyCdlib(); "
        "i.open(sys.argv[1]); print(i.get_record(iso_path='/SUB/C.BIN;1')"
        ".get_data_length())\" '" +
        (folder / "out.iso") + "' > '" + (folder / "size.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto text = readWholeFile(folder / "size.txt");
    EXPECT_EQ(std::string(text.begin(), text.end()), "4097\n");
}

TEST_F(ImagePatch, ShrinkingZeroesTheFreedSectorsAndMovesTheEndBits) {
    const std::string in = frame(Framing::Mode2Form1_2352);
    ASSERT_TRUE(patch(in, {{"B.BIN", 0, false, 0, randomBytes(100, 5)}}).ok());
    const auto after = readWholeFile(folder / "out.bin");
    EXPECT_EQ(memberSize(folder / "out.bin", "B.BIN"), 100u);
    for (const size_t s : {28, 29}) {
        EXPECT_TRUE(std::all_of(&after[s * 2352 + 24], &after[s * 2352 + 2072],
                                [](uint8_t v) { return v == 0; }));
        EXPECT_TRUE(sectorCodesVerify(&after[s * 2352]));
    }
    EXPECT_EQ(after[27 * 2352 + 18], 0x89);
    EXPECT_EQ(after[29 * 2352 + 18], 0x08);
}

TEST_F(ImagePatch, AnItemIsOverwrittenWhereItStands) {
    const std::string in = frame(Framing::Mode2Form1_2352);
    const auto item = randomBytes(2000, 6);
    ASSERT_TRUE(patch(in, {{"B.BIN", 0x100, true, 3000, item}}).ok());
    std::vector<uint8_t> read;
    ASSERT_EQ(memberSize(folder / "out.bin", "B.BIN", &read), 5000u);
    auto expected = b;
    std::copy(item.begin(), item.end(), expected.begin() + 0x100);
    std::fill(expected.begin() + 0x100 + 2000, expected.begin() + 0x100 + 3000, 0);
    EXPECT_EQ(read, expected);
}

TEST_F(ImagePatch, RefusalsNameTheMemberAndWriteNothing) {
    const std::string in = frame(Framing::Mode2Form1_2352, true);
    const size_t files = filesInFolder();
    const std::vector<std::pair<std::vector<MemberReplacement>, std::string>> cases = {
        {{{"NONE.BIN", 0, false, 0, {1}}}, "NONE.BIN: not on the disc"},
        {{{"SUB", 0, false, 0, {1}}}, "SUB: is a directory"},
        {{{"SUB/C.BIN", 0, false, 0, {1}}}, "SUB/C.BIN: is made of Form 2 sectors"},
        {{{"B.BIN", 0, false, 0, randomBytes(7000, 7)}},
         "B.BIN: 856 bytes too big (there is room for 6144)"},
        {{{"B.BIN", 16, true, 100, randomBytes(101, 7)}},
         "B.BIN@0x10: 1 bytes too big (there is room for 100)"},
        {{{"B.BIN", 4900, true, 101, {1}}}, "B.BIN@0x1324: the item lies past the member's end"},
        {{{"A.BIN", 0, false, 0, {1}}, {"a.bin", 0, false, 0, {2}}}, "a.bin: named twice"},
        {{{"B.BIN", 0, true, 100, {1}}, {"B.BIN", 99, true, 10, {2}}},
         "B.BIN@0x0 and B.BIN@0x63 overlap"},
    };
    for (const auto& [replacements, line] : cases) {
        const Result<> result = patch(in, replacements);
        EXPECT_EQ(result.code, 1) << line;
        EXPECT_EQ(result.message, line);
        EXPECT_EQ(filesInFolder(), files) << line;
    }
    // Sectors holding a found item are not free either.
    const Result<> held =
        patchImage(folder / "disc.iso", folder / "out.iso",
                   {{"SUB/C.BIN", 0, false, 0, randomBytes(4097, 7)}}, {}, {{32, 1}});
    EXPECT_EQ(held.message, "SUB/C.BIN: 1 bytes too big (there is room for 4096)");
    // Two items in one member that do not overlap go together.
    EXPECT_TRUE(patch(in, {{"B.BIN", 0, true, 100, {1}}, {"B.BIN", 100, true, 10, {2}}}).ok());
}

TEST_F(ImagePatch, TheInputIsNeverTheOutputAndACorruptSectorIsRefused) {
    std::string in = frame(Framing::Mode2Form1_2352);
    const Result<> same = patchImage(in, in, {{"B.BIN", 0, false, 0, {1}}});
    EXPECT_EQ(same.code, 2);
    EXPECT_EQ(same.message,
              in + ": is one of the image's own files; write the patched image to a new file");
    EXPECT_EQ(patchImage(in, folder / "missing/out.bin", {{"B.BIN", 0, false, 0, {1}}}).code, 3);
    auto raw = readWholeFile(in);
    raw[28 * 2352 + 500] ^= 1;
    writeFile(in, raw);
    EXPECT_EQ(patch(in, {{"B.BIN", 0, false, 0, {1}}}).message, "B.BIN: sector 28 does not verify");
    EXPECT_EQ(readWholeFile(in), raw);
    EXPECT_FALSE(fs::exists(folder / "out.bin"));
}

// The outputs are saved as every other file the program writes: through a link, keeping the
// old file's permission bits, never over a folder, with no hidden file left behind.
TEST_F(ImagePatch, OutputsKeepWhatTheUserSetUp) {
    const std::string in = frame(Framing::Mode2Form1_2352);
    const std::string out = folder / "out.bin", real = folder / "real.bin";
    fs::create_directory(out);
    const size_t files = filesInFolder();
    const Result<> refused = patch(in, {{"B.BIN", 0, false, 0, {1}}});
    EXPECT_EQ(refused.code, 3);
    EXPECT_EQ(refused.message, out + ": cannot be written: Is a directory");
    EXPECT_EQ(filesInFolder(), files);

    fs::remove(out);
    writeFile(real, {1, 2});
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.bin", out.c_str()), 0);
    ASSERT_TRUE(patch(in, {{"B.BIN", 0, false, 0, {1}}}).ok());
    EXPECT_TRUE(fs::is_symlink(out));
    EXPECT_EQ(fs::file_size(real), fs::file_size(in));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(filesInFolder(), files + 1);
}

TEST_F(ImagePatch, ASheetOfSeveralFilesGetsTrackFilesNamedAfterTheOutput) {
    frame(Framing::Mode2Form1_2352);
    const auto audio = randomBytes(2352 * 10, 11);
    writeFile(folder / "audio.bin", audio);
    const std::string sheet =
        cueSheetFor("disc.bin", Framing::Mode2Form1_2352) +
        "FILE \"audio.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n";
    std::ofstream(folder / "disc.cue") << sheet;
    EXPECT_EQ(patchImage(folder / "disc.cue", folder / "disc.bin", {}).code, 2);
    std::vector<std::string> outputs;
    ASSERT_TRUE(plannedOutputs(folder / "disc.cue", folder / "mod.cue", outputs).ok());
    EXPECT_EQ(outputs, (std::vector<std::string>{folder / "mod.cue", folder / "mod (Track 01).bin",
                                                 folder / "mod (Track 02).bin"}));
    ASSERT_TRUE(
        patchImage(folder / "disc.cue", folder / "mod.cue", {{"B.BIN", 0, false, 0, {7}}}).ok());
    EXPECT_EQ(readWholeFile(folder / "mod (Track 02).bin"), audio);
    EXPECT_EQ(memberSize(folder / "mod.cue", "B.BIN"), 1u);
    const auto text = readWholeFile(folder / "mod.cue");
    EXPECT_NE(std::string(text.begin(), text.end()).find("FILE \"mod (Track 01).bin\" BINARY"),
              std::string::npos);
}

}  // namespace
