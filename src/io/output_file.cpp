#include "io/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

// Linux gives up on a chain of links after 40 as well.
constexpr int kMaxLinkHops = 40;

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The path with every symbolic link at its end followed. A link to a file that does not exist
// yet resolves to where it points, so the save creates that file and the link stays. A loop
// is left for the open to report.
std::string followLinks(std::string path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<size_t>(length) >= target.size()) return path;
        target.resize(static_cast<size_t>(length));
        path = target[0] == '/' ? target : directoryOf(path) + "/" + target;
    }
    return path;
}

// Makes the rename itself durable; a failure here cannot undo a save that already took place.
void syncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

// mkstemp makes the file private: give it the old file's owner, group and mode, or for a new
// target the usual mode of a new file. The owner goes first, since a change of owner clears
// the set-id bits; those are kept only when owner and group could be kept too.
void takeOverSetup(int fd, const struct stat* existing) {
    if (!existing) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        (void)::fchmod(fd, 0666 & ~mask);
        return;
    }
    struct stat mine {};
    bool sameOwner = ::fstat(fd, &mine) == 0 && mine.st_uid == existing->st_uid &&
                     mine.st_gid == existing->st_gid;
    if (!sameOwner) {
        sameOwner = ::fchown(fd, existing->st_uid, existing->st_gid) == 0;
        // Failing that, the group alone; if that fails too the new file keeps its own group.
        if (!sameOwner && ::fchown(fd, static_cast<uid_t>(-1), existing->st_gid) != 0) {
        }
    }
    (void)::fchmod(fd, existing->st_mode & (sameOwner ? 07777 : 0777));
}

}  // namespace

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

SaveResult OutputFile::fail(SaveOutcome outcome, int error) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    return {outcome, error};
}

SaveResult OutputFile::open(const std::string& path) {
    target_ = followLinks(path);
    exists_ = ::stat(target_.c_str(), &existing_) == 0;
    if (!exists_ && errno != ENOENT) return {SaveOutcome::CannotOpen, errno};
    if (exists_ && S_ISDIR(existing_.st_mode)) return {SaveOutcome::CannotOpen, EISDIR};
    if (exists_ && !S_ISREG(existing_.st_mode)) {
        inPlaceOnly_ = true;
        return {SaveOutcome::CannotOpen, 0};
    }
    if (exists_) {
        // Only a file this user may write is replaced: ask as opening it for writing would.
        const int probe = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (probe < 0) return {SaveOutcome::CannotOpen, errno};
        ::close(probe);
    }
    std::string temp = directoryOf(target_) + "/.saving-XXXXXX";
    fd_ = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        inPlaceOnly_ = exists_ && (error == EACCES || error == EPERM);
        return {SaveOutcome::CannotOpen, error};
    }
    temp_ = temp;
    takeOverSetup(fd_, exists_ ? &existing_ : nullptr);
    return {};
}

SaveResult OutputFile::finish() {
    if (fd_ < 0) return fail(SaveOutcome::WriteFailed, EBADF);
    if (::fsync(fd_) != 0) return fail(SaveOutcome::WriteFailed, errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return fail(SaveOutcome::WriteFailed, errno);
    return {};
}

SaveResult OutputFile::moveIntoPlace() {
    if (temp_.empty() || fd_ >= 0) return fail(SaveOutcome::WriteFailed, EBADF);
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        return fail(SaveOutcome::WriteFailed, errno);
    }
    temp_.clear();
    syncDirectory(directoryOf(target_));
    return {};
}
