#include "io/file_saving.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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

bool writeAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
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

// Rewrites the target itself: the only way when no file can be made beside it, and the right
// way for a device or a pipe. A pipe without a reader is refused rather than waited for.
SaveResult writeInPlace(const std::string& target, const std::vector<uint8_t>& bytes) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return {SaveOutcome::CannotOpen, errno};
    (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    bool ok = writeAll(fd, bytes) && (!regular || ::fsync(fd) == 0);
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    return ok ? SaveResult{} : SaveResult{SaveOutcome::WriteFailed, error};
}

}  // namespace

SaveResult saveFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string target = followLinks(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) return {SaveOutcome::CannotOpen, errno};
    if (exists && S_ISDIR(existing.st_mode)) return {SaveOutcome::CannotOpen, EISDIR};
    if (exists && !S_ISREG(existing.st_mode)) return writeInPlace(target, bytes);
    if (exists) {
        // Only a file this user may write is replaced: ask as opening it for writing would.
        const int probe = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (probe < 0) return {SaveOutcome::CannotOpen, errno};
        ::close(probe);
    }

    const std::string directory = directoryOf(target);
    std::string temp = directory + "/.saving-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (exists && (error == EACCES || error == EPERM)) return writeInPlace(target, bytes);
        return {SaveOutcome::CannotOpen, error};
    }
    takeOverSetup(fd, exists ? &existing : nullptr);
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(temp.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temp.c_str());
        // A sticky folder lets only the owner replace the file; writing it is still allowed.
        if (exists && (error == EPERM || error == EACCES)) return writeInPlace(target, bytes);
        return {SaveOutcome::WriteFailed, error};
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return {SaveOutcome::WriteFailed, error};
    }
    syncDirectory(directory);
    return {};
}

std::string describeSaveFailure(const SaveResult& result) {
    return result.error ? std::strerror(result.error) : "it cannot be written";
}
