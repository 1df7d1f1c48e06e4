// CUE sheets: what a sheet's lines give, how its file names are found on disk, and the sheets
// that must fail in one line.
#include "disc/cue_sheet.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "disc_test_support.h"

namespace {

using namespace disc_test;
using test_support::TempFolder;

bool looksLike(const std::string& text) {
    return looksLikeCueSheet(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(CueSheet, AudioThenDataTracksWithGapsAndFoldersInAnyCase) {
    TempFolder temp;
    std::filesystem::create_directory(temp / "Tracks");
    writeText(temp / "Tracks/Audio One.bin", "");
    writeText(temp / "Tracks/GAME.BIN", "");
    const std::string text =
        "\xef\xbb\xbfREM GENRE Game\r\nCATALOG 0000000000000\r\nTITLE \"A game\"\r\n"
        "PERFORMER \"Someone\"\r\nFILE \"tracks\\audio one.bin\" BINARY\r\n"
        "  TRACK 01 AUDIO\r\n    FLAGS DCP\r\n    ISRC ABCDE1234567\r\n    INDEX 01 00:00:00\r\n"
        "    POSTGAP 00:02:00\r\nFILE \"Tracks/game.bin\" BINARY\r\n  TRACK 02 MODE2/2352\r\n"
        "    SONGWRITER \"x\"\r\n    PREGAP 00:02:00\r\n    INDEX 00 00:00:10\r\n"
        "    INDEX 01 01:02:03\r\n\r\n";
    EXPECT_TRUE(looksLike(text));
    CueSheet sheet;
    const Result<> result = parseCueSheet(text, temp / "game.cue", sheet);
    ASSERT_TRUE(result.ok()) << result.message;
    ASSERT_EQ(sheet.files.size(), 2u);
    EXPECT_EQ(sheet.files[0].name, "tracks\\audio one.bin");
    EXPECT_EQ(sheet.files[0].path, temp / "Tracks/Audio One.bin");
    EXPECT_EQ(sheet.files[1].path, temp / "Tracks/GAME.BIN");
    EXPECT_EQ(sheet.files[1].type, "BINARY");
    ASSERT_EQ(sheet.tracks.size(), 2u);
    EXPECT_EQ(sheet.tracks[0].mode, TrackMode::Audio);
    EXPECT_EQ(sheet.tracks[0].file, 0u);
    const CueTrack& data = sheet.tracks[1];
    EXPECT_EQ(data.number, 2);
    EXPECT_EQ(data.mode, TrackMode::Mode2_2352);
    EXPECT_EQ(data.file, 1u);
    EXPECT_TRUE(data.hasIndex0);
    EXPECT_EQ(data.index0, 10u);
    EXPECT_EQ(data.index1, (60u + 2) * 75 + 3);
    EXPECT_EQ(data.pregap, 150u);
    EXPECT_EQ(sheet.lines.size(), 17u);

    // New names in the FILE lines, everything else (and the line ends) kept.
    const std::string rewritten =
        rewriteCueSheet(sheet, {"mod (Track 1).bin", "mod (Track 2).bin"});
    EXPECT_NE(rewritten.find("\r\nFILE \"mod (Track 1).bin\" BINARY\r\n  TRACK 01 AUDIO\r\n"),
              std::string::npos);
    EXPECT_NE(rewritten.find("\r\nFILE \"mod (Track 2).bin\" BINARY\r\n  TRACK 02 MODE2/2352\r\n"),
              std::string::npos);
    EXPECT_EQ(rewritten.size(), text.size() - 3 - 35 + 34);  // no BOM; names 20+15 -> 17+17
}

TEST(CueSheet, EveryDataModeAndUnquotedNames) {
    TempFolder temp;
    writeText(temp / "a.bin", "");
    const std::pair<const char*, TrackMode> modes[] = {{"MODE1/2352", TrackMode::Mode1_2352},
                                                       {"mode2/2336", TrackMode::Mode2_2336},
                                                       {"MODE1/2048", TrackMode::Mode1_2048}};
    for (const auto& [word, mode] : modes) {
        CueSheet sheet;
        const std::string text =
            std::string("FILE a.bin BINARY\nTRACK 1 ") + word + "\nINDEX 1 0:0:0\n";
        ASSERT_TRUE(parseCueSheet(text, temp / "a.cue", sheet).ok()) << word;
        EXPECT_EQ(sheet.tracks[0].mode, mode) << word;
        EXPECT_EQ(sheet.files[0].path, temp / "a.bin");
    }
}

TEST(CueSheet, WhatIsNotASheet) {
    EXPECT_FALSE(looksLike("TRACK 01 MODE1/2352\nFILE \"a.bin\" BINARY\n"));
    EXPECT_FALSE(looksLike("FILE \"a.bin\" BINARY\nINDEX 01 00:00:00\nTRACK 01 AUDIO\n"));
    EXPECT_FALSE(looksLike("REM only\n"));
    EXPECT_FALSE(looksLike(std::string("FILE \"a.bin\" BINARY\n\0TRACK 01 AUDIO\n", 36)));
    Bytes noise(4096);
    uint32_t state = 12345;
    for (uint8_t& b : noise) b = static_cast<uint8_t>((state = state * 1103515245 + 12345) >> 16);
    EXPECT_FALSE(looksLikeCueSheet(noise.data(), noise.size()));
    CueSheet sheet;
    const Result<> result =
        parseCueSheet(std::string(noise.begin(), noise.end()), "/nowhere/x.cue", sheet);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message.rfind("/nowhere/x.cue", 0), 0u) << result.message;
    EXPECT_EQ(result.message.find('\n'), std::string::npos);
}

TEST(CueSheet, FailuresNameTheFileOrTheLine) {
    TempFolder temp;
    writeText(temp / "a.bin", "");
    std::filesystem::create_directory(temp / "folder.bin");
    const std::string cue = temp / "x.cue";
    const std::pair<std::string, std::string> cases[] = {
        {"FILE \"gone.bin\" BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n",
         cue + ": track file \"gone.bin\" is missing"},
        {"FILE \"folder.bin\" BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n",
         cue + ": track file \"folder.bin\" is not a regular file"},
        {"FILE \"a.bin\" BINARY\nTRACK 01 CDG\nINDEX 01 00:00:00\n",
         cue + " line 2: track mode CDG is not read"},
        {"FILE \"a.bin\" BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:60:00\n",
         cue + " line 3: INDEX wants a number and MM:SS:FF"},
        {"FILE \"a.bin\" BINARY\nTRACK 01 MODE1/2352\nPREGAP 00:02:00\n",
         cue + ": track 1 has no INDEX 01"},
        {"FILE \"a.bin\" BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\nGARBAGE here\n",
         cue + " line 4: \"GARBAGE here\" is not a CUE sheet line"},
        {"FILE \"a.bin BINARY\n", cue + " line 1: an unclosed quote"},
        {"REM nothing\n", cue + ": a CUE sheet without tracks"},
    };
    for (const auto& [text, line] : cases) {
        CueSheet sheet;
        EXPECT_EQ(parseCueSheet(text, cue, sheet).message, line) << text;
    }
}

}  // namespace
