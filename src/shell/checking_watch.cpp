#include <sys/stat.h>

#include <utility>

#include "shell/file_watch.h"

namespace {

// What a look at the file on disk tells: another file renamed over it has another inode, a
// write in place moves the times (to the nanosecond, so two writes in one second differ).
struct FileLook {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{}, changed{};

    bool operator==(const FileLook& other) const {
        return exists == other.exists && device == other.device && inode == other.inode &&
               size == other.size && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

FileLook lookAt(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return {};
    return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

class CheckingWatch : public FileWatch {
  public:
    bool follow(const std::string& path) override {
        path_ = path;
        last_ = path_.empty() ? FileLook() : lookAt(path_);
        return true;
    }

    bool changed() override {
        if (path_.empty()) return false;
        const FileLook now = lookAt(path_);
        if (now == last_) return false;
        last_ = now;
        return true;
    }

    bool checksTheFile() const override { return true; }

  private:
    std::string path_;
    FileLook last_;
};

// The told watch while it can follow the file, else the checking one.
class FallbackWatch : public FileWatch {
  public:
    explicit FallbackWatch(std::unique_ptr<FileWatch> told) : told_(std::move(told)) {}

    bool follow(const std::string& path) override {
        checking_ = !told_;
        if (told_) {
            if (told_->follow(path)) return true;
            if (!told_->outOfWatches()) return false;
            checking_ = true;
        }
        return checker_.follow(path);
    }

    bool changed() override { return checking_ ? checker_.changed() : told_->changed(); }
    bool checksTheFile() const override { return checking_; }

  private:
    std::unique_ptr<FileWatch> told_;
    CheckingWatch checker_;
    bool checking_ = false;
};

}  // namespace

std::unique_ptr<FileWatch> makeCheckingWatch() {
    return std::make_unique<CheckingWatch>();
}

std::unique_ptr<FileWatch> makeFileWatch(
    const std::function<std::unique_ptr<FileWatch>()>& toldWatch) {
    return std::make_unique<FallbackWatch>(toldWatch());
}
