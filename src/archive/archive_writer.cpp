#include "archive/archive_writer.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "io/byte_order.h"

namespace {

// Offsets that point past the old bytes of a splice move by its change in size; an insertion
// moves everything from its place on.
bool moves(const ArchiveSplice& s, uint64_t offset) {
    return s.length ? offset >= s.at + s.length : offset >= s.at;
}

int64_t delta(const ArchiveSplice& s) {
    return static_cast<int64_t>(s.bytes.size()) - static_cast<int64_t>(s.length);
}

int64_t shiftAt(const std::vector<ArchiveSplice>& splices, uint64_t offset) {
    int64_t shift = 0;
    for (const ArchiveSplice& s : splices) {
        if (moves(s, offset)) shift += delta(s);
    }
    return shift;
}

bool insideReplaced(const std::vector<ArchiveSplice>& splices, size_t at) {
    for (const ArchiveSplice& s : splices) {
        if (s.length && at + 4 > s.at && at < s.at + s.length) return true;
    }
    return false;
}

}  // namespace

Result<> applyArchiveEdits(const std::vector<uint8_t>& bytes, const ArchiveEdits& edits,
                         std::vector<uint8_t>& out) {
    out.clear();
    const std::vector<ArchiveSplice>& splices = edits.splices;
    std::vector<size_t> order(splices.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return splices[a].at < splices[b].at; });
    uint64_t total = bytes.size();
    size_t from = 0;
    for (size_t k : order) {
        const ArchiveSplice& s = splices[k];
        if (s.at < from || s.at > bytes.size() || s.length > bytes.size() - s.at) {
            return Result<>::failed(1, "the archive's edits overlap or reach past its end");
        }
        from = s.at + s.length;
        total += delta(s);
    }
    if (total > UINT32_MAX) return Result<>::failed(1, "the archive would grow past 4 GiB");
    for (const OffsetField& field : edits.offsets) {
        if (field.at > bytes.size() || bytes.size() - field.at < 4 ||
            insideReplaced(splices, field.at) ||
            (field.landsOn >= 0 && static_cast<size_t>(field.landsOn) >= splices.size())) {
            return Result<>::failed(1, "an offset of the archive's edits lies in no kept word");
        }
    }

    std::vector<size_t> landedAt(splices.size(), 0);
    out.reserve(static_cast<size_t>(total));
    from = 0;
    for (size_t k : order) {
        const ArchiveSplice& s = splices[k];
        out.insert(out.end(), bytes.begin() + from, bytes.begin() + s.at);
        landedAt[k] = out.size();
        out.insert(out.end(), s.bytes.begin(), s.bytes.end());
        from = s.at + s.length;
    }
    out.insert(out.end(), bytes.begin() + from, bytes.end());

    for (const OffsetField& field : edits.offsets) {
        const uint32_t old = readLE32(bytes.data() + field.at);
        uint64_t offset = old;
        if (field.landsOn >= 0) {
            if (landedAt[field.landsOn] < field.base) {
                out.clear();
                return Result<>::failed(1, "an offset of the archive would point before its base");
            }
            offset = landedAt[field.landsOn] - field.base;
        } else if (old != 0) {
            const uint64_t target = field.base + uint64_t{old};
            offset =
                static_cast<uint64_t>(static_cast<int64_t>(target) + shiftAt(splices, target)) -
                field.base;
        }
        if (offset > UINT32_MAX) {
            out.clear();
            return Result<>::failed(1, "an offset of the archive would move past 4 GiB");
        }
        const size_t at =
            static_cast<size_t>(static_cast<int64_t>(field.at) + shiftAt(splices, field.at));
        writeLE32(out.data() + at, static_cast<uint32_t>(offset));
    }
    return {};
}

std::vector<OffsetField> archiveOffsetFields(const Archive& archive) {
    std::vector<OffsetField> fields;
    for (size_t i = 0; i < archive.entries.size(); ++i) fields.push_back({4 + 4 * i, 0});
    for (const BoneRecord& record : archive.bones) {
        fields.push_back({record.at + 4, archive.sectionStart});
    }
    return fields;
}
