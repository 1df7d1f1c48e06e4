#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scan/random_access.h"

class DiscImage;

// size bytes of user data from a sector of a disc image on: a file's extent, or a run of sectors
// that no file claims. Sectors are read a run at a time and kept, so a scan streams through.
// Form 2 and unreadable sectors read as zeros.
class ExtentAccess : public RandomAccess {
  public:
    ExtentAccess(const DiscImage& image, uint32_t firstSector, uint64_t size);
    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, size_t length, uint8_t* out) const override;

  private:
    const DiscImage& image_;
    uint32_t first_;
    uint64_t size_;
    mutable std::vector<uint8_t> cache_;
    mutable uint64_t cacheStart_ = 0;  // byte offset of cache_[0] in the extent
    bool fill(uint64_t offset) const;
};

// The part [offset, offset + size) of other bytes.
class SliceAccess : public RandomAccess {
  public:
    SliceAccess(const RandomAccess& whole, uint64_t offset, uint64_t size)
        : whole_(whole), offset_(offset), size_(size) {}
    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, size_t length, uint8_t* out) const override;

  private:
    const RandomAccess& whole_;
    uint64_t offset_;
    uint64_t size_;
};
