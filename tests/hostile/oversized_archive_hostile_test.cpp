// Files too large to be a model archive: refused before they are read, with one line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "document/document.h"
#include "hostile_test_support.h"
#include "io/file_reading.h"

namespace {

TEST(OversizedArchives, AreRefusedWithOneLineAndNothingLoaded) {
    hostile::TempFolder folder;
    const std::string path = folder / "sparse.archive";
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kArchiveSizeLimit + 1)), 0);
    ::close(fd);

    EXPECT_EQ(loadDocument(Source::file(path), UnreadLines::Loaders).message,
              path +
                  " is 268435457 bytes, more than the 268435456 a model archive may have: not "
                  "read\n");
    // A device without an end is read up to the limit and no further.
    EXPECT_EQ(loadDocument(Source::file("/dev/zero"), UnreadLines::Loaders).message,
              "/dev/zero runs past 268435456 bytes, more than a model archive may have: not "
              "read\n");
}

}  // namespace
