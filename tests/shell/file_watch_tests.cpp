// Following a file without inotify: the checks on disk that find each kind of change, and the
// viewer's watch falling back to them when the system's watch cannot be had.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "shell/file_watch.h"
#include "support/test_files.h"

namespace {

void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A watch the system would tell: following fails, for lack of watches or otherwise.
class RefusingWatch : public FileWatch {
  public:
    explicit RefusingWatch(bool outOfWatches) : outOfWatches_(outOfWatches) {}
    bool follow(const std::string& path) override { return path.empty(); }
    bool changed() override { return false; }
    bool outOfWatches() const override { return outOfWatches_; }

  private:
    bool outOfWatches_;
};

TEST(CheckingWatchTest, FindsWritesInPlaceToTheNanosecondRenamesRemovalAndCreation) {
    test_support::TempFolder temp{"veldraxis-watch"};
    const std::string file = temp / "model.bin", other = temp / ".new";
    write(file, "archive");
    auto watch = makeCheckingWatch();
    ASSERT_TRUE(watch->follow(file));
    EXPECT_TRUE(watch->checksTheFile());
    EXPECT_FALSE(watch->changed());
    // The same bytes, the same size, the modification time one nanosecond on.
    struct stat info;
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    timespec times[2] = {info.st_atim, info.st_mtim};
    times[1].tv_nsec = (times[1].tv_nsec + 1) % 1000000000;
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    EXPECT_TRUE(watch->changed());
    EXPECT_FALSE(watch->changed());
    write(other, "ARCHIVE");
    ASSERT_EQ(std::rename(other.c_str(), file.c_str()), 0);
    EXPECT_TRUE(watch->changed());
    ASSERT_EQ(unlink(file.c_str()), 0);
    EXPECT_TRUE(watch->changed());
    EXPECT_FALSE(watch->changed());
    write(file, "archive");
    EXPECT_TRUE(watch->changed());
}

TEST(FileWatchTest, ChecksTheFileWithoutTheSystemsWatchOrWhenItHasNoneLeft) {
    test_support::TempFolder temp{"veldraxis-watch"};
    const std::string file = temp / "model.bin";
    write(file, "archive");
    auto none = makeFileWatch([] { return std::unique_ptr<FileWatch>(); });
    auto exhausted = makeFileWatch([] { return std::make_unique<RefusingWatch>(true); });
    for (FileWatch* watch : {none.get(), exhausted.get()}) {
        ASSERT_TRUE(watch->follow(file));
        EXPECT_TRUE(watch->checksTheFile());
    }
    write(file, "archive, longer");
    EXPECT_TRUE(exhausted->changed());
    EXPECT_FALSE(exhausted->changed());
    // Another failure of the system's watch (a folder it may not read) is no reason to check.
    auto refused = makeFileWatch([] { return std::make_unique<RefusingWatch>(false); });
    EXPECT_FALSE(refused->follow(file));
    EXPECT_TRUE(refused->follow(""));
    EXPECT_FALSE(refused->checksTheFile());
}

}  // namespace
