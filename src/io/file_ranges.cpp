#include "io/file_ranges.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

constexpr size_t kFallbackBuffer = 1 << 20;
constexpr uint64_t kCopyChunk = uint64_t{1} << 30;

// Repeats pread or pwrite until all of size bytes are done; a short file or an error fails.
template <typename Transfer, typename Byte>
bool transferAll(Transfer transfer, int fd, Byte* data, size_t size, uint64_t offset) {
    while (size > 0) {
        const ssize_t n = transfer(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
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
    return transferAll(::pwrite, fd, data, size, offset);
}

bool readAt(int fd, uint8_t* data, size_t size, uint64_t offset) {
    return transferAll(::pread, fd, data, size, offset);
}
