#include "source/archive_header.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "io/byte_order.h"

namespace {

constexpr uint32_t kMaxEntries = 255;

bool readAt(int fd, uint64_t offset, size_t length, uint8_t* out) {
    size_t done = 0;
    while (done < length) {
        const ssize_t got =
            ::pread(fd, out + done, length - done, static_cast<off_t>(offset + done));
        if (got <= 0) return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

bool tableFits(int fd, uint64_t size) {
    uint8_t countWord[4];
    if (size < sizeof countWord || !readAt(fd, 0, sizeof countWord, countWord)) return false;
    const uint32_t entries = readLE32(countWord);
    if (entries == 0 || entries > kMaxEntries) return false;
    const uint64_t tableEnd = 4 + uint64_t{4} * entries;
    if (tableEnd > size) return false;
    std::vector<uint8_t> table(static_cast<size_t>(tableEnd - 4));
    if (!readAt(fd, 4, table.size(), table.data())) return false;
    for (uint32_t k = 0; k < entries; ++k) {
        if (readLE32(table.data() + 4 * k) > size) return false;
    }
    return true;
}

}  // namespace

bool headerLooksLikeArchive(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info {};
    const bool fits = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                      tableFits(fd, static_cast<uint64_t>(info.st_size));
    ::close(fd);
    return fits;
}
