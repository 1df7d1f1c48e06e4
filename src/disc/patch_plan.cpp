#include "disc/patch_plan.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "disc/sector_codes.h"
#include "disc/sector_layout.h"

namespace {

constexpr uint32_t kSectorBytes = 2048;
constexpr uint32_t kVerifyBatch = 64;
constexpr uint8_t kEndBits = kSubmodeEndOfRecord | kSubmodeEndOfFile;
constexpr size_t kRecordSizeOffset = 10;
constexpr size_t kRecordSizeEnd = 18;

Result<> refuse(const std::string& line) {
    return Result<>::failed(1, line);
}

std::string hex(uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

uint32_t sectorsFor(uint64_t bytes) {
    return static_cast<uint32_t>((bytes + kSectorBytes - 1) / kSectorBytes);
}

std::string tooBig(const std::string& label, uint64_t size, uint64_t room) {
    return label + ": " + std::to_string(size - room) + " bytes too big (there is room for " +
           std::to_string(room) + ")";
}

bool inFound(const std::vector<SectorRange>& found, uint32_t sector) {
    for (const SectorRange& range : found) {
        if (sector >= range.first && sector - range.first < range.count) return true;
    }
    return false;
}

// A sector a member may grow into: inside the volume, used by nothing, holding no found item,
// a data sector whose user data is all zero.
bool isFreeZeroSector(const DiscImage& image, const IsoVolume& volume,
                      const std::vector<SectorRange>& found, uint64_t sector) {
    if (sector >= volume.volumeSectors || sector >= volume.used.size() ||
        sector >= image.sectorCount()) {
        return false;
    }
    const auto s = static_cast<uint32_t>(sector);
    if (volume.used[s] || inFound(found, s)) return false;
    uint8_t user[kSectorBytes];
    if (!image.readUserData(s, 1, user)) return false;
    return std::all_of(user, user + kSectorBytes, [](uint8_t b) { return b == 0; });
}

// The subheader of a Form 1 sector, when it is one.
bool readSubheader(const DiscImage& image, uint32_t sector, uint8_t* out) {
    if (image.frameSize() == FrameSize::Cooked2048) return false;
    uint8_t frame[kRawSectorBytes];
    if (!image.readFrames(sector, 1, frame)) return false;
    if (sectorKindOf(frame, image.frameSize()) != SectorKind::Mode2Form1) return false;
    std::memcpy(out, frame + (image.frameSize() == FrameSize::Raw2352 ? 16 : 0), 4);
    return true;
}

Result<> planWhole(const DiscImage& image, const IsoVolume& volume, const IsoFile& entry,
                 const std::vector<SectorRange>& found, MemberPlan& member) {
    const uint64_t size = member.replacement->bytes.size();
    if (size > std::numeric_limits<uint32_t>::max()) {
        return refuse(tooBig(member.label, size, std::numeric_limits<uint32_t>::max()));
    }
    member.oldSectors = entry.sectors();
    member.newSectors = sectorsFor(size);
    uint32_t room = member.oldSectors;
    while (room < member.newSectors &&
           isFreeZeroSector(image, volume, found, uint64_t{entry.extent} + room)) {
        ++room;
    }
    if (room < member.newSectors) {
        return refuse(tooBig(member.label, size, uint64_t{room} * kSectorBytes));
    }
    member.first = entry.extent;
    member.count = std::max(member.oldSectors, member.newSectors);
    if (uint64_t{entry.extent} + member.count > image.sectorCount()) {
        return refuse(member.label + ": lies past the end of the image");
    }
    if (member.oldSectors > 0) {
        uint8_t last[4];
        if (readSubheader(image, entry.extent + member.oldSectors - 1, last)) {
            member.endBits = last[2] & kEndBits;
        }
        member.hasSubheader = readSubheader(image, entry.extent, member.subheader);
        member.subheader[2] &= static_cast<uint8_t>(~member.endBits);
    } else {
        // An empty member had no sectors to learn a subheader from: a plain data one.
        member.hasSubheader = image.frameSize() != FrameSize::Cooked2048;
        member.subheader[2] = 0x08;
    }
    return {};
}

Result<> planItem(const DiscImage& image, const IsoFile& entry, MemberPlan& member) {
    const MemberReplacement& r = *member.replacement;
    if (r.itemOffset > entry.size || r.itemSize > entry.size - r.itemOffset) {
        return refuse(member.label + ": the item lies past the member's end");
    }
    if (r.bytes.size() > r.itemSize)
        return refuse(tooBig(member.label, r.bytes.size(), r.itemSize));
    member.oldSectors = member.newSectors = entry.sectors();
    if (r.itemSize == 0) return {};
    const uint64_t first = uint64_t{entry.extent} + r.itemOffset / kSectorBytes;
    const uint64_t count =
        (r.itemOffset + r.itemSize - 1) / kSectorBytes - r.itemOffset / kSectorBytes + 1;
    if (first + count > image.sectorCount()) {
        return refuse(member.label + ": lies past the end of the image");
    }
    member.first = static_cast<uint32_t>(first);
    member.count = static_cast<uint32_t>(count);
    return {};
}

Result<> planDirectoryRecords(const IsoFile& entry, const MemberPlan& member,
                            std::vector<DirectoryPatch>& directories) {
    const auto size = static_cast<uint32_t>(member.replacement->bytes.size());
    if (size == entry.size) return {};
    for (const RecordPlace& place : entry.records) {
        if (place.offset > kSectorBytes - kRecordSizeEnd) {
            return refuse(member.label + ": its directory record crosses a sector's end");
        }
        auto it = std::find_if(directories.begin(), directories.end(),
                               [&](const DirectoryPatch& d) { return d.sector == place.sector; });
        if (it == directories.end()) {
            directories.push_back({place.sector, member.label, {}});
            it = directories.end() - 1;
        }
        it->sizes.emplace_back(place.offset, size);
    }
    return {};
}

bool itemsOverlap(const MemberReplacement& a, const MemberReplacement& b) {
    if (!a.atOffset || !b.atOffset) return true;
    return a.itemOffset < b.itemOffset + b.itemSize && b.itemOffset < a.itemOffset + a.itemSize;
}

std::string labelOf(const PatchPlan& plan, const PatchSpan& span) {
    if (span.directory) {
        return "the directory sector " + std::to_string(span.first) + " that names " +
               plan.directories[span.indices.front()].label;
    }
    return plan.members[span.indices.front()].label;
}

// Items of one member may share sectors (they are rewritten together); anything else that
// shares one is refused.
Result<> mergeSpans(PatchPlan& plan) {
    std::sort(plan.spans.begin(), plan.spans.end(),
              [](const PatchSpan& a, const PatchSpan& b) { return a.first < b.first; });
    std::vector<PatchSpan> merged;
    for (PatchSpan& span : plan.spans) {
        if (merged.empty() ||
            uint64_t{span.first} >= uint64_t{merged.back().first} + merged.back().count) {
            merged.push_back(std::move(span));
            continue;
        }
        PatchSpan& last = merged.back();
        const auto isItemOf = [&](const PatchSpan& s, uint32_t extent) {
            return !s.directory && std::all_of(s.indices.begin(), s.indices.end(), [&](size_t i) {
                return plan.members[i].replacement->atOffset && plan.members[i].extent == extent;
            });
        };
        const uint32_t extent = plan.members[last.indices.front()].extent;
        if (last.directory || !isItemOf(last, extent) || !isItemOf(span, extent)) {
            return refuse(labelOf(plan, last) + " and " + labelOf(plan, span) + " overlap");
        }
        const uint64_t end =
            std::max(uint64_t{last.first} + last.count, uint64_t{span.first} + span.count);
        last.count = static_cast<uint32_t>(end - last.first);
        last.indices.insert(last.indices.end(), span.indices.begin(), span.indices.end());
    }
    plan.spans = std::move(merged);
    return {};
}

void putSize(uint8_t* record, uint32_t size) {
    for (int i = 0; i < 4; ++i) {
        record[kRecordSizeOffset + i] = static_cast<uint8_t>(size >> (8 * i));
        record[kRecordSizeOffset + 7 - i] = static_cast<uint8_t>(size >> (8 * i));
    }
}

void rewriteMemberData(const MemberPlan& member, uint32_t sector, uint8_t* user) {
    const MemberReplacement& r = *member.replacement;
    const uint64_t start = uint64_t{sector - member.extent} * kSectorBytes;
    if (!r.atOffset) {
        std::memset(user, 0, kSectorBytes);
        if (start < r.bytes.size()) {
            std::memcpy(
                user, r.bytes.data() + start,
                static_cast<size_t>(std::min<uint64_t>(kSectorBytes, r.bytes.size() - start)));
        }
        return;
    }
    const uint64_t from = std::max(start, r.itemOffset);
    const uint64_t to = std::min(start + kSectorBytes, r.itemOffset + r.itemSize);
    for (uint64_t at = from; at < to; ++at) {
        const uint64_t inItem = at - r.itemOffset;
        user[at - start] = inItem < r.bytes.size() ? r.bytes[inItem] : 0;
    }
}

// The submode bits move with the member's end; sectors it grows into take its subheader.
void rewriteSubheader(const MemberPlan& member, uint32_t sector, uint8_t* subheader) {
    if (member.replacement->atOffset) return;
    const uint32_t index = sector - member.extent;
    if (index >= member.oldSectors && member.hasSubheader) {
        std::memcpy(subheader, member.subheader, 4);
    }
    if (index + 1 == member.oldSectors) subheader[2] &= static_cast<uint8_t>(~member.endBits);
    if (index + 1 == member.newSectors) subheader[2] |= member.endBits;
    std::memcpy(subheader + 4, subheader, 4);
}

const uint8_t kSync[kSyncBytes] = {0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};

// A 2336-byte frame as the 2352-byte sector it comes from (its header unknown, so zero, which
// neither of a Form 1 sector's codes covers).
void widen(const uint8_t* frame, uint8_t* raw) {
    std::memcpy(raw, kSync, kSyncBytes);
    const uint8_t header[kHeaderBytes] = {0, 0, 0, 2};
    std::memcpy(raw + kSyncBytes, header, kHeaderBytes);
    std::memcpy(raw + kSyncBytes + kHeaderBytes, frame, 2336);
}

bool frameVerifies(const uint8_t* frame, FrameSize size) {
    if (size == FrameSize::Cooked2048) return true;
    if (size == FrameSize::Raw2352) return sectorCodesVerify(frame);
    uint8_t raw[kRawSectorBytes];
    widen(frame, raw);
    return sectorCodesVerify(raw);
}

}  // namespace

Result<> planPatch(const DiscImage& image, const IsoVolume& volume,
                 const std::vector<MemberReplacement>& replacements,
                 const std::vector<SectorRange>& foundItems, PatchPlan& plan) {
    plan = {};
    std::vector<const IsoFile*> entries;
    for (const MemberReplacement& r : replacements) {
        MemberPlan member;
        member.replacement = &r;
        member.label = r.atOffset ? r.member + "@" + hex(r.itemOffset) : r.member;
        const IsoFile* entry = volume.find(r.member);
        if (!entry) return refuse(member.label + ": not on the disc");
        if (entry->directory) return refuse(member.label + ": is a directory");
        if (entry->multiExtent) return refuse(member.label + ": spans several extents");
        if (entry->form2) return refuse(member.label + ": is made of Form 2 sectors");
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i] != entry) continue;
            if (!r.atOffset || !replacements[i].atOffset) {
                return refuse(r.member + ": named twice");
            }
            if (itemsOverlap(r, replacements[i])) {
                return refuse(plan.members[i].label + " and " + member.label + " overlap");
            }
        }
        entries.push_back(entry);
        member.extent = entry->extent;
        const Result<> planned = r.atOffset ? planItem(image, *entry, member)
                                          : planWhole(image, volume, *entry, foundItems, member);
        if (!planned.ok()) return planned;
        if (!r.atOffset) {
            const Result<> records = planDirectoryRecords(*entry, member, plan.directories);
            if (!records.ok()) return records;
        }
        if (member.count > 0) {
            plan.spans.push_back({member.first, member.count, false, {plan.members.size()}});
        }
        plan.members.push_back(std::move(member));
    }
    for (size_t i = 0; i < plan.directories.size(); ++i) {
        plan.spans.push_back({plan.directories[i].sector, 1, true, {i}});
    }
    return mergeSpans(plan);
}

Result<> verifyPlannedSectors(const DiscImage& image, const PatchPlan& plan) {
    const FrameSize size = image.frameSize();
    const size_t frameBytes = static_cast<size_t>(size);
    std::vector<uint8_t> frames(frameBytes * kVerifyBatch);
    for (const PatchSpan& span : plan.spans) {
        const std::string label = labelOf(plan, span);
        for (uint32_t done = 0; done < span.count;) {
            const uint32_t batch = std::min(kVerifyBatch, span.count - done);
            const uint32_t first = span.first + done;
            if (!image.readFrames(first, batch, frames.data())) {
                return refuse(label + ": sector " + std::to_string(first) + " cannot be read");
            }
            for (uint32_t i = 0; i < batch; ++i) {
                const uint8_t* frame = frames.data() + i * frameBytes;
                const SectorKind kind = sectorKindOf(frame, size);
                if (kind == SectorKind::Mode2Form2) {
                    return refuse(label + ": is made of Form 2 sectors");
                }
                if ((kind != SectorKind::Mode1 && kind != SectorKind::Mode2Form1) ||
                    !frameVerifies(frame, size)) {
                    return refuse(label + ": sector " + std::to_string(first + i) +
                                  " does not verify");
                }
            }
            done += batch;
        }
    }
    return {};
}

void rewriteFrame(const PatchPlan& plan, const PatchSpan& span, uint32_t sector, FrameSize size,
                  uint8_t* frame) {
    uint8_t raw[kRawSectorBytes];
    uint8_t* sectorBytes = frame;
    if (size == FrameSize::Mode2_2336) {
        widen(frame, raw);
        sectorBytes = raw;
    }
    const FrameSize layout = size == FrameSize::Cooked2048 ? size : FrameSize::Raw2352;
    const SectorKind kind = sectorKindOf(sectorBytes, layout);
    uint8_t* user = sectorBytes + userDataOf(kind, layout).offset;
    if (span.directory) {
        for (const auto& [offset, newSize] : plan.directories[span.indices.front()].sizes) {
            putSize(user + offset, newSize);
        }
    } else {
        for (const size_t index : span.indices) {
            const MemberPlan& member = plan.members[index];
            rewriteMemberData(member, sector, user);
            if (kind == SectorKind::Mode2Form1) rewriteSubheader(member, sector, sectorBytes + 16);
        }
    }
    if (layout == FrameSize::Cooked2048) return;
    if (kind == SectorKind::Mode1) {
        encodeMode1Sector(sectorBytes);
    } else {
        encodeMode2Form1Sector(sectorBytes);
    }
    if (size == FrameSize::Mode2_2336) std::memcpy(frame, raw + 16, 2336);
}
