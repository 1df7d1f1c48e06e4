#pragma once

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
};

// A watch on inotify; nullptr when the system offers none.
std::unique_ptr<FileWatch> makeInotifyWatch();

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
