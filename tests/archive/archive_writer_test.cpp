#include "archive/archive_writer.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

std::vector<uint8_t> withWord(std::vector<uint8_t> bytes, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<uint8_t>(v >> (8 * k));
    return bytes;
}

// 40 bytes 0..39 with four offset words at 0, 4, 8 and 12.
std::vector<uint8_t> sample() {
    std::vector<uint8_t> bytes(40);
    std::iota(bytes.begin(), bytes.end(), uint8_t{0});
    bytes = withWord(bytes, 0, 24);  // past the replaced stretch
    bytes = withWord(bytes, 4, 0);   // none
    bytes = withWord(bytes, 8, 4);   // from 12: the replaced stretch's start
    return withWord(bytes, 12, 7);   // replaced by where the inserted bytes land
}

TEST(ArchiveWriter, SplicesMoveTheOffsetsPastThemAndAddedBytesAreNamed) {
    ArchiveEdits edits;
    edits.splices = {{32, 0, {0xA0, 0xA1, 0xA2}}, {16, 4, {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5}}};
    edits.offsets = {{0, 0}, {4, 0}, {8, 12}, {12, 8, 0}};
    std::vector<uint8_t> out;
    ASSERT_TRUE(applyArchiveEdits(sample(), edits, out).ok());

    std::vector<uint8_t> expected = sample();
    expected.insert(expected.begin() + 32, {0xA0, 0xA1, 0xA2});
    expected.erase(expected.begin() + 16, expected.begin() + 20);
    expected.insert(expected.begin() + 16, {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5});
    expected = withWord(expected, 0, 26);
    expected = withWord(expected, 12, 34 - 8);
    EXPECT_EQ(out, expected);

    // No edits give the bytes back.
    ASSERT_TRUE(applyArchiveEdits(sample(), {}, out).ok());
    EXPECT_EQ(out, sample());
}

TEST(ArchiveWriter, EditsThatDoNotFitTheBytesAreRefused) {
    const std::vector<std::pair<ArchiveEdits, std::string>> cases = {
        {{{{16, 8, {1}}, {20, 4, {2}}}, {}}, "the archive's edits overlap or reach past its end"},
        {{{{36, 8, {1}}}, {}}, "the archive's edits overlap or reach past its end"},
        {{{{16, 8, {1}}}, {{18, 0}}}, "an offset of the archive's edits lies in no kept word"},
        {{{}, {{38, 0}}}, "an offset of the archive's edits lies in no kept word"},
        {{{{0, 0, {1}}}, {{4, 8, 0}}}, "an offset of the archive would point before its base"},
    };
    for (const auto& [edits, line] : cases) {
        std::vector<uint8_t> out{9};
        const Result<> result = applyArchiveEdits(sample(), edits, out);
        EXPECT_EQ(result.code, 1) << line;
        EXPECT_EQ(result.message, line);
        EXPECT_TRUE(out.empty()) << line;
    }
}

}  // namespace
