#include "scan/item_scan.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "io/byte_order.h"

namespace {

constexpr uint64_t kArchiveAlignment = 2048;
constexpr uint64_t kTimAlignment = 4;
constexpr size_t kWindowBytes = size_t{4} << 20;
constexpr uint64_t kHeadBytes = 8;  // the id and flag words, or an archive's count and more
constexpr uint32_t kMinArchiveCount = 3;
constexpr uint32_t kMaxArchiveCount = 255;

uint64_t alignUp(uint64_t value, uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// A stretch of the bytes held in memory; the scan walks it word by word.
class Window {
  public:
    explicit Window(const RandomAccess& bytes)
        : bytes_(bytes),
          // Not cleared: every byte the scan looks at is read into it first.
          buffer_(new uint8_t[static_cast<size_t>(std::min<uint64_t>(kWindowBytes, bytes.size())) +
                              1]) {}

    bool load(uint64_t at) {
        start_ = at;
        length_ = static_cast<size_t>(std::min<uint64_t>(kWindowBytes, bytes_.size() - at));
        if (bytes_.read(at, length_, buffer_.get())) return true;
        length_ = 0;
        return false;
    }
    bool holds(uint64_t at, uint64_t length) const {
        return at >= start_ && at - start_ <= length_ && length <= length_ - (at - start_);
    }
    uint64_t start() const { return start_; }
    uint64_t end() const { return start_ + length_; }
    const uint8_t* at(uint64_t offset) const { return buffer_.get() + (offset - start_); }

  private:
    const RandomAccess& bytes_;
    std::unique_ptr<uint8_t[]> buffer_;
    uint64_t start_ = 0;
    size_t length_ = 0;
};

// The TIM at offset, its header read from the window or, past it, from the bytes.
bool probeTimAt(const RandomAccess& bytes, const Window& window, uint64_t offset, TimInfo& info) {
    const uint64_t size = bytes.size();
    const TimByteSource read = [&](uint64_t at, size_t length, uint8_t* out) {
        if (at > size - offset || length > size - offset - at) return false;
        if (window.holds(offset + at, length)) {
            std::memcpy(out, window.at(offset + at), length);
            return true;
        }
        return bytes.read(offset + at, length, out);
    };
    return probeTimFrom(read, size - offset, info);
}

class Scan {
  public:
    Scan(const RandomAccess& bytes, const std::function<void(uint64_t)>& progress, size_t maxItems)
        : bytes_(bytes), progress_(progress), maxItems_(maxItems), window_(bytes) {}

    ContainerScan run() {
        const uint64_t size = bytes_.size();
        uint64_t p = 0;
        while (size >= kHeadBytes && p <= size - kHeadBytes) {
            if (!window_.holds(p, kHeadBytes)) {
                if (progress_) progress_(p);
                if (!window_.load(p)) {
                    result_.complete = false;
                    result_.failedAt = p;
                    closeArchive(p);
                    return std::move(result_);
                }
            }
            p = walkWindow(p);
            if (settledItems() >= maxItems_) {
                result_.items.resize(maxItems_);
                return std::move(result_);
            }
        }
        closeArchive(size);
        if (progress_) progress_(size);
        return std::move(result_);
    }

  private:
    // Walks the window from p until an item is found (returns where the scan goes on) or the
    // window's last whole head (returns the first offset it did not try).
    uint64_t walkWindow(uint64_t p) {
        // Past the last whole head; the window starts 4-aligned.
        const uint64_t heads = (window_.end() - kHeadBytes - window_.start()) / kTimAlignment;
        const uint64_t end = window_.start() + (heads + 1) * kTimAlignment;
        while (p < end) {
            if (p % kArchiveAlignment == 0) {
                const uint32_t count = readLE32(window_.at(p));
                ArchiveShape shape;
                if (count >= kMinArchiveCount && count <= kMaxArchiveCount &&
                    plausibleArchive(bytes_, p, bytes_.size(), shape)) {
                    ScanItem item;
                    item.kind = ScanItem::Archive;
                    item.offset = p;
                    item.archive = shape;
                    add(item);
                    openArchive_ = result_.items.size() - 1;
                    return alignUp(p + shape.lastEntryStart, kTimAlignment);
                }
            }
            // Up to the next archive boundary, the words that could start a TIM.
            const uint64_t stop = std::min(alignUp(p + 1, kArchiveAlignment), end);
            for (p = nextIdWord(p, stop); p < stop; p = nextIdWord(p + kTimAlignment, stop)) {
                TimInfo info;
                if (timHeadWords(kTimId, readLE32(window_.at(p) + 4)) &&
                    probeTimAt(bytes_, window_, p, info)) {
                    ScanItem item;
                    item.kind = ScanItem::Tim;
                    item.offset = p;
                    item.size = info.size;
                    item.tim = info;
                    add(item);
                    return alignUp(p + info.size, kTimAlignment);
                }
            }
        }
        return p;
    }

    // Items whose sizes are known: all but an archive still open.
    size_t settledItems() const { return result_.items.size() - (openArchive_ == kNone ? 0 : 1); }

    // The first 4-aligned offset in [p, stop) whose word is the TIM id, else stop. This is the
    // scan's inner loop over every word of the file, hence the vector compare where there is one.
    uint64_t nextIdWord(uint64_t p, uint64_t stop) const {
        const uint8_t* data = window_.at(p);
        const size_t words = static_cast<size_t>((stop - p) / kTimAlignment);
        size_t k = 0;
#if defined(__SSE2__)
        const __m128i id = _mm_set1_epi32(static_cast<int>(kTimId));
        for (; k + 8 <= words; k += 8) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 4 * k));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 4 * k + 16));
            const int maskA = _mm_movemask_epi8(_mm_cmpeq_epi32(a, id));
            const int maskB = _mm_movemask_epi8(_mm_cmpeq_epi32(b, id));
            if ((maskA | maskB) != 0) {
                const int word = maskA ? __builtin_ctz(maskA) / 4 : 4 + __builtin_ctz(maskB) / 4;
                return p + kTimAlignment * (k + static_cast<size_t>(word));
            }
        }
#endif
        for (; k < words; ++k) {
            if (readLE32(data + 4 * k) == kTimId) return p + kTimAlignment * k;
        }
        return stop;
    }

    // An item found ends the archive before it, whose last entry runs up to here.
    void add(const ScanItem& item) {
        closeArchive(item.offset);
        result_.items.push_back(item);
    }
    void closeArchive(uint64_t end) {
        if (openArchive_ == kNone) return;
        ScanItem& archive = result_.items[openArchive_];
        archive.size = end - archive.offset;
        openArchive_ = kNone;
    }

    static constexpr size_t kNone = static_cast<size_t>(-1);
    const RandomAccess& bytes_;
    const std::function<void(uint64_t)>& progress_;
    size_t maxItems_;
    Window window_;
    ContainerScan result_;
    size_t openArchive_ = kNone;
};

}  // namespace

ContainerScan scanWholeContainer(const RandomAccess& bytes,
                                 const std::function<void(uint64_t done)>& progress,
                                 size_t maxItems) {
    return Scan(bytes, progress, maxItems).run();
}

std::vector<ScanItem> scanContainer(const RandomAccess& bytes,
                                    const std::function<void(uint64_t done)>& progress,
                                    size_t maxItems) {
    return scanWholeContainer(bytes, progress, maxItems).items;
}
