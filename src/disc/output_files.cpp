#include "disc/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace {

constexpr size_t kFallbackBuffer = 1 << 20;
constexpr uint64_t kCopyChunk = uint64_t{1} << 30;

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool copyByReading(int in, uint64_t inOffset, int out, uint64_t outOffset, uint64_t length) {
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(length, kFallbackBuffer)));
    while (length > 0) {
        const size_t step = static_cast<size_t>(std::min<uint64_t>(length, buffer.size()));
        if (!readAt(in, buffer.data(), step, inOffset) ||
            !writeAt(out, buffer.data(), step, outOffset)) {
            return false;
        }
        inOffset += step;
        outOffset += step;
        length -= step;
    }
    return true;
}

}  // namespace

OutputFiles::~OutputFiles() {
    for (const Pending& file : pending_) {
        if (file.fd >= 0) ::close(file.fd);
        ::unlink(file.temp.c_str());
    }
}

int OutputFiles::create(const std::string& finalPath) {
    std::string temp = folderOf(finalPath) + "/." + nameOf(finalPath) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    // mkostemp makes the file private; a new output gets the usual mode of a new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    (void)::fchmod(fd, 0666 & ~mask);
    pending_.push_back({temp, finalPath, fd});
    return fd;
}

bool OutputFiles::commit() {
    for (Pending& file : pending_) {
        const bool synced = ::fsync(file.fd) == 0;
        const int error = errno;
        const bool closed = ::close(file.fd) == 0;
        file.fd = -1;
        if (!synced || !closed) {
            if (!synced) errno = error;
            return false;
        }
    }
    while (!pending_.empty()) {
        const Pending& file = pending_.front();
        if (std::rename(file.temp.c_str(), file.target.c_str()) != 0) return false;
        // Makes the rename itself durable.
        const int folder =
            ::open(folderOf(file.target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            (void)::fsync(folder);
            ::close(folder);
        }
        pending_.erase(pending_.begin());
    }
    return true;
}

bool copyRange(int in, uint64_t inOffset, int out, uint64_t outOffset, uint64_t length) {
    while (length > 0) {
        auto from = static_cast<off_t>(inOffset);
        auto to = static_cast<off_t>(outOffset);
        const size_t step = static_cast<size_t>(std::min(length, kCopyChunk));
        const ssize_t n = ::copy_file_range(in, &from, out, &to, step, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 &&
            (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            return copyByReading(in, inOffset, out, outOffset, length);
        }
        if (n <= 0) return false;  // an error, or the source ended early
        inOffset += static_cast<uint64_t>(n);
        outOffset += static_cast<uint64_t>(n);
        length -= static_cast<uint64_t>(n);
    }
    return true;
}

bool writeAt(int fd, const uint8_t* data, size_t size, uint64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

bool readAt(int fd, uint8_t* data, size_t size, uint64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}
