#pragma once

#include <cstddef>
#include <cstdint>

#include "io/byte_order.h"

// A read-only window on an untrusted byte buffer. Every read names an offset inside the window
// and fails (returns false, output untouched) when any byte of it lies outside, so no count or
// offset taken from a file can lead a reader past the end of its buffer.
class BoundedReader {
  public:
    BoundedReader() = default;
    BoundedReader(const uint8_t* data, size_t size) : data_(size ? data : nullptr), size_(size) {}

    size_t size() const { return size_; }
    const uint8_t* data() const { return data_; }

    // True when [offset, offset + length) lies inside the window (overflow-safe).
    bool contains(size_t offset, size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    bool readU8(size_t offset, uint8_t& out) const {
        if (!contains(offset, 1)) return false;
        out = readByte(data_ + offset);
        return true;
    }
    bool readU16(size_t offset, uint16_t& out) const {
        if (!contains(offset, 2)) return false;
        out = readLE16(data_ + offset);
        return true;
    }
    bool readI16(size_t offset, int16_t& out) const {
        uint16_t u;
        if (!readU16(offset, u)) return false;
        out = static_cast<int16_t>(u);
        return true;
    }
    bool readU32(size_t offset, uint32_t& out) const {
        if (!contains(offset, 4)) return false;
        out = readLE32(data_ + offset);
        return true;
    }
    bool readI32(size_t offset, int32_t& out) const {
        uint32_t u;
        if (!readU32(offset, u)) return false;
        out = static_cast<int32_t>(u);
        return true;
    }

    // The window from offset to the end; an empty window when offset lies past the end.
    BoundedReader from(size_t offset) const {
        if (offset >= size_) return {};
        return {data_ + offset, size_ - offset};
    }
    // The window [offset, offset + length), or an empty one when that is not wholly inside.
    BoundedReader slice(size_t offset, size_t length) const {
        if (!contains(offset, length)) return {};
        return {data_ + offset, length};
    }

  private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};
