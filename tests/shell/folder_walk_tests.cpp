#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/folder_walk.h"
#include "io/natural_order.h"

namespace {

using Names = std::vector<std::string>;

TEST(NaturalOrderTest, NumbersCountByValueLettersWithoutCase) {
    Names names{"b.bin",
                "a10.bin",
                "A2.bin",
                "a2.bin",
                "a02.bin",
                "a.bin",
                "a1b.bin",
                "a1.bin",
                "a99999999999999999999.bin",
                "a100000000000000000000.bin",
                "_x"};
    std::sort(names.begin(), names.end(), naturalLess);
    EXPECT_EQ(names,
              (Names{"_x", "a.bin", "a1.bin", "a1b.bin", "A2.bin", "a02.bin", "a2.bin", "a10.bin",
                     "a99999999999999999999.bin", "a100000000000000000000.bin", "b.bin"}));
}

TEST(WalkCandidatesTest, EveryOtherNameOnceFromTheNeighbourWrappingRound) {
    const Names names{"a2.bin", "a10.bin", "b.txt", "c.bin"};
    EXPECT_EQ(walkCandidates(names, "a10.bin", +1), (Names{"b.txt", "c.bin", "a2.bin"}));
    EXPECT_EQ(walkCandidates(names, "a10.bin", -1), (Names{"a2.bin", "c.bin", "b.txt"}));
    EXPECT_EQ(walkCandidates(names, "c.bin", +1), (Names{"a2.bin", "a10.bin", "b.txt"}));
    // A removed archive: the walk goes on from where it stood.
    EXPECT_EQ(walkCandidates(names, "a5.bin", +1), (Names{"a10.bin", "b.txt", "c.bin", "a2.bin"}));
    EXPECT_EQ(walkCandidates(names, "a5.bin", -1), (Names{"a2.bin", "c.bin", "b.txt", "a10.bin"}));
    EXPECT_TRUE(walkCandidates({"a2.bin"}, "a2.bin", +1).empty());
    EXPECT_EQ(pathIn(folderOf("/m/a2.bin"), "b"), "/m/b");
    EXPECT_EQ(pathIn(folderOf("a2.bin"), "b"), "b");
    EXPECT_EQ(pathIn(folderOf("/a2.bin"), "b"), "/b");
}

}  // namespace
