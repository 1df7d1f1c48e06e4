#pragma once

#include <cstring>
#include <vector>

#include "scan/random_access.h"

// Bytes already in memory, read like a file: what a caller holding a buffer hands a scan.
class MemoryBytes : public RandomAccess {
  public:
    MemoryBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit MemoryBytes(const std::vector<uint8_t>& bytes)
        : MemoryBytes(bytes.data(), bytes.size()) {}

    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, size_t length, uint8_t* out) const override {
        if (offset > size_ || length > size_ - offset) return false;
        if (length) std::memcpy(out, data_ + offset, length);
        return true;
    }

  private:
    const uint8_t* data_;
    size_t size_;
};
