#pragma once

#include <cstddef>
#include <cstdint>

#include "io/bounded_reader.h"

// The table every archive starts with: a 32-bit entry count, then one 32-bit offset per entry,
// little-endian. Nothing in it is trusted: a word the archive does not hold reads as absent, and
// the offsets are handed out as stored, for the caller to check against what it reads there.
class EntryTable {
  public:
    // The table at the start of the bytes the reader sees; they must outlive the table.
    explicit EntryTable(const BoundedReader& archive) : words_(archive) {}

    // The entry count; false when the archive is shorter than the count word.
    bool count(uint32_t& out) const { return words_.readU32(0, out); }

    // The offset word of entry k, read where the table keeps it whether or not the count
    // includes k; false when the archive ends before it.
    bool offset(size_t k, uint32_t& out) const {
        return k < words_.size() / 4 && words_.readU32(4 + 4 * k, out);
    }

    // True when the archive holds the offsets of all count entries.
    bool holdsOffsets(uint32_t count) const {
        return words_.contains(4, 4 * static_cast<uint64_t>(count));
    }

  private:
    BoundedReader words_;
};
