#pragma once

#include <cstddef>
#include <cstdint>

// Bytes that can be read at any offset without holding them all: a file on disk, a file inside
// a disc image, a stretch of unclaimed sectors.
class RandomAccess {
  public:
    virtual ~RandomAccess() = default;
    virtual uint64_t size() const = 0;
    // Reads length bytes at offset into out; false when any of them lies past size() or the read
    // fails.
    virtual bool read(uint64_t offset, size_t length, uint8_t* out) const = 0;
};
