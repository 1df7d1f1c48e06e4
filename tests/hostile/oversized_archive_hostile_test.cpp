// Files too large to be a model archive: refused before they are read, with one line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "console/console.h"
#include "hostile_test_support.h"
#include "io/file_reading.h"
#include "model/bone_node.h"
#include "model/model.h"

namespace {

TEST(OversizedArchives, AreRefusedWithOneLineAndNothingLoaded) {
    hostile::TempFolder folder;
    const std::string path = folder / "sparse.archive";
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kArchiveSizeLimit + 1)), 0);
    ::close(fd);

    Model model;
    {
        ConsoleCapture console;
        EXPECT_EQ(model.loadTextures(path.c_str()), -1);
        EXPECT_EQ(model.loadSkeleton(path.c_str()), -1);
        EXPECT_EQ(console.text(), path +
                                      " is 268435457 bytes, more than the 268435456 a model "
                                      "archive may have: not read\n");
    }
    {
        // A device without an end is read up to the limit and no further.
        ConsoleCapture console;
        EXPECT_EQ(model.loadSkeleton("/dev/zero"), -1);
        EXPECT_EQ(console.text(),
                  "/dev/zero runs past 268435456 bytes, more than a model archive may have: not "
                  "read\n");
    }
    EXPECT_TRUE(model.partList().empty());
    EXPECT_TRUE(model.rootNode()->children.empty());
}

}  // namespace
