// Sources: what an argument names, how it is named again, and reading it.

#include <gtest/gtest.h>

#include "archive_builder.h"
#include "demo/demo_archive.h"
#include "source/archive_header.h"
#include "source/archive_sources.h"
#include "source/source.h"
#include "source/source_reading.h"
#include "support/test_files.h"

namespace {

using test_support::TempFolder;

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(archive_builder::writeFile(path, bytes));
}

std::vector<uint8_t> demoBytes() {
    return {demoArchiveData(), demoArchiveData() + demoArchiveSize()};
}

TEST(SourceArguments, EachFormOfArgumentNamesItsSource) {
    TempFolder folder;
    writeBytes(folder / "game.cue", {'x'});
    writeBytes(folder / "pack.dat", {'x'});

    EXPECT_TRUE(sourceFromArgument("").isDemo());
    EXPECT_TRUE(sourceFromArgument("-").isStandardInput());
    EXPECT_EQ(sourceFromArgument(folder / "pack.dat"), Source::file(folder / "pack.dat"));

    const Source member = sourceFromArgument(folder / "game.cue/CHR/HERO.BIN");
    EXPECT_EQ(member.kind, Source::Kind::Member);
    EXPECT_EQ(member.path, folder / "game.cue");
    EXPECT_EQ(member.member, "CHR/HERO.BIN");
    EXPECT_FALSE(member.atOffset);

    const Source item = sourceFromArgument(folder / "game.cue/DATA/PACK.DAT@0x1A00");
    EXPECT_EQ(item.member, "DATA/PACK.DAT");
    EXPECT_TRUE(item.atOffset);
    EXPECT_EQ(item.offset, 0x1a00u);
    EXPECT_EQ(item.name(), folder / "game.cue/DATA/PACK.DAT@0x1a00");

    const Source unclaimed = sourceFromArgument(folder / "game.cue/@0x4b000");
    EXPECT_EQ(unclaimed.kind, Source::Kind::Member);
    EXPECT_EQ(unclaimed.member, "");
    EXPECT_EQ(unclaimed.offset, 0x4b000u);

    const Source inFile = sourceFromArgument(folder / "pack.dat@0x1a44");
    EXPECT_EQ(inFile.kind, Source::Kind::File);
    EXPECT_EQ(inFile.path, folder / "pack.dat");
    EXPECT_EQ(inFile.offset, 0x1a44u);

    // A name that exists is that file, even when it reads like a member; one that matches
    // nothing stays a file, which then says it cannot be opened.
    writeBytes(folder / "odd@0x10", {'x'});
    EXPECT_EQ(sourceFromArgument(folder / "odd@0x10"), Source::file(folder / "odd@0x10"));
    EXPECT_EQ(sourceFromArgument(folder / "missing/x.bin"), Source::file(folder / "missing/x.bin"));
    EXPECT_EQ(sourceFromArgument(folder / "pack.dat@0xzz"), Source::file(folder / "pack.dat@0xzz"));
}

TEST(SourceArguments, StemsNameFolderOutputsAfterThePathInside) {
    TempFolder folder;
    writeBytes(folder / "game.cue", {'x'});
    writeBytes(folder / "pack.dat", {'x'});
    EXPECT_EQ(sourceStem(sourceFromArgument(folder / "game.cue/CHR/HERO.BIN")), "CHR-HERO");
    EXPECT_EQ(sourceStem(sourceFromArgument(folder / "game.cue/DATA/PACK.DAT@0x1000")),
              "DATA-PACK.DAT@0x1000");
    EXPECT_EQ(sourceStem(sourceFromArgument(folder / "game.cue/@0x4b000")), "@0x4b000");
    EXPECT_EQ(sourceStem(sourceFromArgument(folder / "pack.dat@0x1a44")), "pack.dat@0x1a44");
    EXPECT_EQ(sourceStem(Source::file("models/robot.bin")), "robot");
    EXPECT_EQ(sourceStem(Source::standardInput()), "stdin");
    EXPECT_EQ(sourceStem(Source::demo()), "demo");
    EXPECT_EQ(Source::demo().name(), "demo model");
    EXPECT_EQ(Source::standardInput().argument(), "-");
}

TEST(SourceReading, FilesAndItemsAtOffsetsReadAsTheyStand) {
    TempFolder folder;
    const std::vector<uint8_t> demo = demoBytes();
    std::vector<uint8_t> pack(0x1000, 0x5a);
    pack.insert(pack.end(), demo.begin(), demo.end());
    pack.resize(pack.size() + 100, 0x5a);
    writeBytes(folder / "pack.dat", pack);
    writeBytes(folder / "demo.bin", demo);

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readSource(sourceFromArgument(folder / "demo.bin"), bytes).ok());
    EXPECT_EQ(bytes, demo);
    // The archive's last entry runs to the end of the pack.
    ASSERT_TRUE(readSource(sourceFromArgument(folder / "pack.dat@0x1000"), bytes).ok());
    EXPECT_EQ(bytes.size(), demo.size() + 100);
    EXPECT_TRUE(std::equal(demo.begin(), demo.end(), bytes.begin()));

    const Result<> nothing = readSource(sourceFromArgument(folder / "pack.dat@0x800"), bytes);
    EXPECT_EQ(nothing.message, folder / "pack.dat@0x800: nothing found at 0x800");
    const Result<> past = readSource(sourceFromArgument(folder / "pack.dat@0x100000"), bytes);
    EXPECT_EQ(past.message, folder / "pack.dat@0x100000: the offset lies past the end");
    const Result<> missing = readSource(Source::file(folder / "gone.bin"), bytes);
    EXPECT_EQ(missing.code, kSourceUnopened);
    EXPECT_EQ(missing.message, folder / "gone.bin: No such file or directory");
    const Result<> isFolder = readSource(Source::file(folder.path()), bytes);
    EXPECT_EQ(isFolder.message, folder.path() + ": Is a directory");
}

TEST(ArchiveSources, AContainerStandsForItsArchivesAndAnythingElseForItself) {
    TempFolder folder;
    const std::vector<uint8_t> demo = demoBytes();
    std::vector<uint8_t> pack(0x800, 0x11);
    pack.insert(pack.end(), demo.begin(), demo.end());
    pack.resize((pack.size() + 2047) / 2048 * 2048, 0x22);
    pack.insert(pack.end(), demo.begin(), demo.end());
    writeBytes(folder / "pack.dat", pack);
    writeBytes(folder / "demo.bin", demo);
    writeBytes(folder / "broken.bin", {3, 0, 0, 0, 0xff, 0xff});

    const ArchiveSources inPack = archivesOf(Source::file(folder / "pack.dat"));
    ASSERT_EQ(inPack.sources.size(), 2u);
    EXPECT_EQ(inPack.sources[0].name(), folder / "pack.dat@0x800");
    EXPECT_EQ(inPack.sources[1].name(), folder / "pack.dat@0x4000");
    EXPECT_EQ(archivesOf(Source::file(folder / "demo.bin")).sources,
              std::vector<Source>{Source::file(folder / "demo.bin")});
    // A damaged archive still reaches the loaders, which say what is wrong with it.
    EXPECT_EQ(archivesOf(Source::file(folder / "broken.bin")).sources,
              std::vector<Source>{Source::file(folder / "broken.bin")});
    EXPECT_TRUE(archivesOf(Source::file(folder / "broken.bin")).failure.empty());
}

}  // namespace

// The folder walk's first look: the header and the entry table, never the rest of the file.
TEST(ArchiveHeader, TellsArchivesFromOtherFilesByTheirTableAlone) {
    TempFolder folder;
    const std::vector<uint8_t> demo(demoArchiveData(), demoArchiveData() + demoArchiveSize());
    writeBytes(folder / "demo.bin", demo);
    std::vector<uint8_t> cut(demo.begin(), demo.begin() + 8);  // the table runs past the end
    writeBytes(folder / "cut.bin", cut);
    writeBytes(folder / "video.mp4", {0, 0, 0, 0x20, 'f', 't', 'y', 'p'});
    writeBytes(folder / "empty.bin", {});
    std::vector<uint8_t> far = {1, 0, 0, 0, 0xff, 0xff, 0, 0};  // its one offset lies past the end
    writeBytes(folder / "far.bin", far);
    EXPECT_TRUE(headerLooksLikeArchive(folder / "demo.bin"));
    for (const char* name : {"cut.bin", "video.mp4", "empty.bin", "far.bin", "missing.bin"}) {
        EXPECT_FALSE(headerLooksLikeArchive(folder / name)) << name;
    }
    EXPECT_FALSE(headerLooksLikeArchive(folder.path()));  // a folder
}
