#pragma once

#include <functional>
#include <memory>
#include <string>

// Tells whether a file changed on disk. It follows the name in its folder, not the file, so a
// new file renamed over the one followed (as saves do) is followed from then on.
class FileWatch {
  public:
    virtual ~FileWatch() = default;
    // Follows the file at path from now on, forgetting what happened before; an empty path
    // follows nothing. False when the file's folder cannot be watched.
    virtual bool follow(const std::string& path) = 0;
    // Whether the file was written, replaced, created or removed since the last call; never
    // blocks, and costs one system call when nothing happened.
    virtual bool changed() = 0;
    // Whether the last follow failed because the system had no watch left to give.
    virtual bool outOfWatches() const { return false; }
    // Whether the file followed is checked on disk, to be looked at once every
    // kCheckMilliseconds, rather than its changes told by the system.
    virtual bool checksTheFile() const { return false; }
};

constexpr int kCheckMilliseconds = 1000;

// A watch on inotify; nullptr when the system offers none.
std::unique_ptr<FileWatch> makeInotifyWatch();
// A watch that checks the file itself on each look: its inode, size, and modification and
// change times to the nanosecond. Its folder need not exist; it never fails to follow.
std::unique_ptr<FileWatch> makeCheckingWatch();
// The viewer's watch: one the system tells of changes (inotify), or checking the file when
// the system offers no such watch or has none left for a file.
std::unique_ptr<FileWatch> makeFileWatch(
    const std::function<std::unique_ptr<FileWatch>()>& toldWatch = makeInotifyWatch);

// Waits for a file to stop changing before it is read: looked at on a steady beat, a change is
// due once a whole beat has passed without another, so a file written in several pieces is read
// once, after the last.
class SettleWait {
  public:
    // One look: whether the file changed since the last one. True when it is due.
    bool look(bool changed) {
        const bool due = pending_ && !changed;
        pending_ = changed;
        return due;
    }
    void forget() { pending_ = false; }

  private:
    bool pending_ = false;
};
