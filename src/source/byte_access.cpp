#include "source/byte_access.h"

#include <algorithm>
#include <cstring>

#include "disc/disc_image.h"

namespace {

// Sectors read at once: large enough for a scan to stream at the disk's speed.
constexpr uint64_t kCacheSectors = 512;
constexpr uint64_t kSectorBytes = 2048;

bool inside(uint64_t offset, size_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

}  // namespace

ExtentAccess::ExtentAccess(const DiscImage& image, uint32_t firstSector, uint64_t size)
    : image_(image), first_(firstSector), size_(size) {}

bool ExtentAccess::fill(uint64_t offset) const {
    const uint64_t sector = offset / kSectorBytes;
    const uint64_t sectors = (size_ + kSectorBytes - 1) / kSectorBytes;
    const uint64_t available = image_.sectorCount();
    if (first_ + sector >= available) return false;  // the track ends before the extent does
    const uint64_t count = std::min({kCacheSectors, sectors - sector, available - first_ - sector});
    cache_.resize(count * kSectorBytes);
    // Form 2 or unreadable sectors come back as zeros; the scan simply finds nothing there.
    image_.readUserData(static_cast<uint32_t>(first_ + sector), static_cast<uint32_t>(count),
                        cache_.data());
    cacheStart_ = sector * kSectorBytes;
    return true;
}

bool ExtentAccess::read(uint64_t offset, size_t length, uint8_t* out) const {
    if (!inside(offset, length, size_)) return false;
    size_t done = 0;
    // Whole sectors asked for at once (a scan's window) go straight to the caller's buffer.
    if (offset % kSectorBytes == 0 && length >= kSectorBytes * kCacheSectors &&
        first_ + (offset + length) / kSectorBytes <= image_.sectorCount()) {
        const uint64_t sectors = length / kSectorBytes;
        image_.readUserData(static_cast<uint32_t>(first_ + offset / kSectorBytes),
                            static_cast<uint32_t>(sectors), out);
        done = static_cast<size_t>(sectors * kSectorBytes);
    }
    while (done < length) {
        const uint64_t at = offset + done;
        if (cache_.empty() || at < cacheStart_ || at >= cacheStart_ + cache_.size()) {
            if (!fill(at)) return false;
        }
        const size_t from = static_cast<size_t>(at - cacheStart_);
        const size_t take = std::min(length - done, cache_.size() - from);
        std::memcpy(out + done, cache_.data() + from, take);
        done += take;
    }
    return true;
}

bool SliceAccess::read(uint64_t offset, size_t length, uint8_t* out) const {
    if (!inside(offset, length, size_)) return false;
    return whole_.read(offset_ + offset, length, out);
}
