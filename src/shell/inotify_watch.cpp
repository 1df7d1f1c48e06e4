#include <limits.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "shell/file_watch.h"
#include "shell/folder_walk.h"

namespace {

// Writes in place (modify, close after writing), renames over it or away, creation and removal.
constexpr uint32_t kEvents =
    IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ONLYDIR;

// The path the file's changes happen at: a symbolic link's target, where saves write.
std::string resolved(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string whole = real;
    free(real);
    return whole;
}

class InotifyWatch : public FileWatch {
  public:
    explicit InotifyWatch(int fd) : fd_(fd) {}
    ~InotifyWatch() override { close(fd_); }

    bool follow(const std::string& path) override {
        if (watch_ >= 0) inotify_rm_watch(fd_, watch_);
        watch_ = -1;
        changed();  // drops what the old watch reported
        if (path.empty()) return true;
        const std::string file = resolved(path);
        const std::string folder = folderOf(file);
        name_ = fileNameOf(file);
        watch_ = inotify_add_watch(fd_, folder.empty() ? "." : folder.c_str(), kEvents);
        outOfWatches_ = watch_ < 0 && errno == ENOSPC;
        return watch_ >= 0;
    }

    bool outOfWatches() const override { return outOfWatches_; }

    bool changed() override {
        bool seen = false;
        alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
        for (;;) {
            const ssize_t got = read(fd_, buffer, sizeof buffer);
            if (got <= 0) return seen;  // EAGAIN: nothing more
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->wd == watch_ && event->len && name_ == event->name) seen = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

  private:
    int fd_;
    int watch_ = -1;
    bool outOfWatches_ = false;
    std::string name_;
};

}  // namespace

std::unique_ptr<FileWatch> makeInotifyWatch() {
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<InotifyWatch>(fd);
}
