#include "scan/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

FileBytes::~FileBytes() {
    if (fd_ >= 0) ::close(fd_);
}

Result<> FileBytes::open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    size_ = 0;
    struct stat status {};
    if (fd_ < 0 || ::fstat(fd_, &status) != 0) {
        const int cause = errno;
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        return Result<>::failed(cause, std::strerror(cause));
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return Result<>::failed(kNotRegularFile, "not a regular file");
    }
    size_ = static_cast<uint64_t>(status.st_size);
    // The scan reads front to back.
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return {};
}

bool FileBytes::read(uint64_t offset, size_t length, uint8_t* out) const {
    if (fd_ < 0 || offset > size_ || length > size_ - offset) return false;
    while (length > 0) {
        const ssize_t got = ::pread(fd_, out, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // an error, or the file shrank under us
        out += got;
        offset += static_cast<uint64_t>(got);
        length -= static_cast<size_t>(got);
    }
    return true;
}
