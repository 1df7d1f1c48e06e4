#include "scan/archive_plausibility.h"

#include <algorithm>
#include <vector>

#include "io/byte_order.h"

namespace {

constexpr uint32_t kMinEntries = 3;  // skeleton, a second entry, the angle table
constexpr uint32_t kMaxEntries = 255;
constexpr uint64_t kRecordsStart = 12;
constexpr uint64_t kRecordBytes = 8;
constexpr uint64_t kAnglesStart = 4;
constexpr uint32_t kTimIdWord = 16;
// Bone records are read this many at a time, so a huge entry 0 costs no more memory.
constexpr size_t kRecordsPerRead = 8192;

bool readWord(const RandomAccess& bytes, uint64_t at, uint32_t& word) {
    uint8_t raw[4];
    if (!bytes.read(at, sizeof raw, raw)) return false;
    word = readLE32(raw);
    return true;
}

// Every parent is 0 (a root) or names a bone before it; every mesh offset lies inside the
// section.
bool recordsAttach(const RandomAccess& bytes, uint64_t sectionStart, uint64_t sectionBytes,
                   uint32_t bones) {
    std::vector<uint8_t> chunk;
    for (uint32_t first = 0; first < bones; first += kRecordsPerRead) {
        const uint32_t count = std::min<uint32_t>(kRecordsPerRead, bones - first);
        chunk.resize(count * kRecordBytes);
        if (!bytes.read(sectionStart + kRecordsStart + first * kRecordBytes, chunk.size(),
                        chunk.data())) {
            return false;
        }
        for (uint32_t k = 0; k < count; ++k) {
            const uint8_t* record = chunk.data() + k * kRecordBytes;
            const uint32_t bone = first + k;  // 0-based; a parent p names bone p - 1
            if (readLE16(record) > bone) return false;
            const uint32_t mesh = readLE32(record + 4);
            if (mesh != 0 && mesh >= sectionBytes) return false;
        }
    }
    return true;
}

}  // namespace

// Offsets must ascend strictly: an empty entry would be a skeleton or an angle table of no
// bytes, or an image of none, and none of the archives made for the console has one.
bool plausibleArchive(const RandomAccess& bytes, uint64_t offset, uint64_t limit,
                      ArchiveShape& shape) {
    limit = std::min(limit, bytes.size());
    if (offset >= limit) return false;
    const uint64_t available = limit - offset;
    uint32_t entries = 0;
    if (!readWord(bytes, offset, entries) || entries < kMinEntries || entries > kMaxEntries) {
        return false;
    }
    const uint64_t tableEnd = 4 + 4ull * entries;
    if (tableEnd >= available) return false;
    uint8_t table[4 * kMaxEntries];
    if (!bytes.read(offset + 4, 4ull * entries, table)) return false;
    std::vector<uint64_t> starts(entries);
    for (uint32_t k = 0; k < entries; ++k) {
        starts[k] = readLE32(table + 4 * k);
        if (starts[k] < tableEnd || starts[k] >= available) return false;
        if (k > 0 && starts[k] <= starts[k - 1]) return false;
    }
    const auto entryEnd = [&](uint32_t k) { return k + 1 < entries ? starts[k + 1] : available; };

    uint32_t bonesWord = 0;
    if (!readWord(bytes, offset + starts[0], bonesWord)) return false;
    const int32_t bones = static_cast<int32_t>(bonesWord);
    const uint64_t sectionBytes = entryEnd(0) - starts[0];
    if (bones < 1 || kRecordsStart + kRecordBytes * static_cast<uint64_t>(bones) > sectionBytes) {
        return false;
    }
    const uint64_t angleBytes = entryEnd(2) - starts[2];
    if (angleBytes < kAnglesStart + 2ull * static_cast<uint64_t>(bones)) return false;
    if (!recordsAttach(bytes, offset + starts[0], sectionBytes, static_cast<uint32_t>(bones))) {
        return false;
    }

    ArchiveShape found;
    found.entries = entries;
    found.bones = static_cast<uint32_t>(bones);
    for (uint32_t k = 0; k + 1 < entries; ++k) {
        uint32_t first = 0;
        if (entryEnd(k) - starts[k] >= 4 && readWord(bytes, offset + starts[k], first) &&
            first == kTimIdWord) {
            ++found.textures;
        }
    }
    found.lastEntryStart = starts[entries - 1];
    found.tableEnd = starts[entries - 1];  // where the entry before the last ends
    shape = found;
    return true;
}
