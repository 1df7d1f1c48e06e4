// One reading of a model archive. Nothing in it is trusted: every count and offset is checked
// against the bytes before it is used, and what does not hold becomes a problem: its code, its
// place and its numbers.

#include "archive/archive.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "archive/entry_table.h"
#include "archive/problem_table.h"
#include "io/formatted.h"

namespace {

struct Place {
    std::optional<uint32_t> entry;
    std::optional<uint32_t> bone;
    std::optional<uint64_t> offset;
};

void addProblem(Archive& archive, ProblemCode code, const Place& place,
                std::initializer_list<uint64_t> values) {
    ArchiveProblem problem{code, place.entry, place.bone, place.offset, {}};
    std::copy(values.begin(), values.end(), problem.values.begin());
    archive.problems.push_back(problem);
}

void readEntries(const BoundedReader& bytes, Archive& archive) {
    const EntryTable table(bytes);
    table.count(archive.declaredEntries);  // a file shorter than the count has no entries
    std::vector<uint32_t> offsets;
    for (uint32_t i = 0; i < archive.declaredEntries; ++i) {
        uint32_t offset = 0;
        if (!table.offset(i, offset)) break;
        offsets.push_back(offset);
    }
    for (size_t i = 0; i < offsets.size(); ++i) {
        ArchiveEntry entry;
        entry.offset = offsets[i];
        entry.end = i + 1 < offsets.size() ? offsets[i + 1] : archive.size;
        entry.inside = entry.end >= entry.offset && entry.end <= archive.size;
        archive.entries.push_back(entry);
    }
}

// The texture scan looks at every entry but the last, of a table with fewer than 256 entries
// whose offsets the file holds: the last one's end would come from an entry after it.
void readImages(const BoundedReader& bytes, Archive& archive) {
    const uint32_t count = archive.declaredEntries;
    if (count >= kMaxTextureEntries) {
        addProblem(archive, ProblemCode::TooManyEntries, {}, {count});
        return;
    }
    // The table's words must all be in the file, the count's included.
    if (!EntryTable(bytes).holdsOffsets(count)) {
        addProblem(archive, ProblemCode::OffsetTableOutside, {}, {count, archive.size});
        return;
    }
    archive.imageTableAccepted = true;
    for (uint32_t i = 0; i + 1 < count; ++i) {
        const ArchiveEntry& entry = archive.entries[i];
        uint32_t id = 0;
        if (!bytes.readU32(entry.offset, id) || id != TimImage::kId) continue;
        ImageEntry image;
        image.entry = i;
        image.start = entry.offset;
        image.end = entry.end;
        image.inside = entry.inside;
        if (!image.inside) {
            addProblem(archive, ProblemCode::TextureEntryOutside, {i, {}, image.start},
                       {image.start, image.end, archive.size});
        } else {
            image.check = checkTimEntry(bytes.slice(image.start, image.end - image.start));
            for (ArchiveProblem problem : image.check.problems) {
                problem.entry = i;
                problem.offset = image.start;
                archive.problems.push_back(problem);
            }
        }
        archive.images.push_back(std::move(image));
    }
}

// One angle per bone from entry 2; a table that is missing or too short gives 0 for the bones
// it lacks.
void readAngles(const BoundedReader& bytes, const EntryTable& table, Archive& archive) {
    uint32_t entryCount = 0;
    table.count(entryCount);
    archive.hasAngleTable =
        entryCount > kAngleTableEntry && table.offset(kAngleTableEntry, archive.angleTableOffset);
    if (!archive.hasAngleTable) {
        addProblem(archive, ProblemCode::NoAngleTable, {}, {entryCount});
        return;
    }
    const size_t start = static_cast<size_t>(archive.angleTableOffset) + kAnglesStart;
    const size_t held = start <= bytes.size() ? (bytes.size() - start) / 2 : 0;
    if (held < archive.bones.size()) {
        addProblem(archive, ProblemCode::AngleTableShort, {{}, {}, archive.angleTableOffset},
                   {archive.angleTableOffset, held, archive.bones.size()});
    }
    for (size_t i = 0; i < archive.bones.size(); ++i) {
        bytes.readI16(start + 2 * i, archive.bones[i].angle);
    }
}

ProblemCode meshProblem(MeshBlockFailure failure) {
    switch (failure) {
        case kMeshBlockEndsEarly:
            return ProblemCode::MeshBlockEndsEarly;
        case kMeshRecordsOutside:
            return ProblemCode::MeshRecordsOutside;
        case kMeshVertexOutside:
            break;
    }
    return ProblemCode::MeshVertexOutside;
}

// The record's mesh offset counts from the start of the skeleton section; the block may run to
// the end of the archive. Records that name one offset share one block.
void readMeshBlock(const BoundedReader& bytes, size_t bone, Archive& archive,
                   std::map<uint32_t, int>& blockAt) {
    BoneRecord& record = archive.bones[bone];
    const auto known = blockAt.find(record.meshOffset);
    if (known != blockAt.end()) {
        record.block = known->second;
        return;
    }
    const size_t start = archive.sectionStart + record.meshOffset;
    const Place place{{}, static_cast<uint32_t>(bone), start};
    const BoundedReader block = bytes.from(start);
    if (block.size() == 0) {
        addProblem(archive, ProblemCode::MeshBlockOutside, place, {record.meshOffset});
        return;
    }
    MeshBlock mesh;
    mesh.start = start;
    MeshBlockFault fault;
    if (!measureMeshBlock(block, mesh.layout, &fault).ok()) {
        addProblem(
            archive, meshProblem(fault.code), place,
            {record.meshOffset, fault.kind, fault.values[0], fault.values[1], fault.values[2]});
        return;
    }
    record.block = static_cast<int>(archive.blocks.size());
    blockAt[record.meshOffset] = record.block;
    archive.blocks.push_back(mesh);
}

void readSkeleton(const BoundedReader& bytes, Archive& archive) {
    const EntryTable table(bytes);
    uint32_t sectionOffset = 0;
    if (!table.offset(kSkeletonEntry, sectionOffset)) {
        addProblem(archive, ProblemCode::EntryTableShort, {}, {bytes.size()});
        return;
    }
    archive.sectionStart = sectionOffset;
    if (!bytes.readI32(archive.sectionStart, archive.declaredBones)) {
        addProblem(archive, ProblemCode::SkeletonOutside, {{}, {}, sectionOffset},
                   {sectionOffset, bytes.size()});
        return;
    }
    if (archive.declaredBones <= 0) {
        archive.skeletonRead = true;
        return;
    }
    const size_t boneCount = static_cast<size_t>(archive.declaredBones);
    const size_t recordsStart = archive.sectionStart + kRecordsStart;
    const size_t recordsHeld =
        recordsStart <= bytes.size() ? (bytes.size() - recordsStart) / kRecordBytes : 0;
    if (boneCount > recordsHeld) {
        addProblem(archive, ProblemCode::BoneRecordsShort, {{}, {}, archive.sectionStart},
                   {boneCount, recordsHeld});
        return;
    }
    archive.skeletonRead = true;
    archive.bones.resize(boneCount);
    for (size_t i = 0; i < boneCount; ++i) {
        BoneRecord& record = archive.bones[i];
        record.at = recordsStart + kRecordBytes * i;
        bytes.readU16(record.at, record.parent);
        bytes.readI16(record.at + 2, record.length);
        bytes.readU32(record.at + 4, record.meshOffset);
    }
    readAngles(bytes, table, archive);
    std::map<uint32_t, int> blockAt;
    for (size_t i = 0; i < boneCount; ++i) {
        if (archive.bones[i].meshOffset != 0) readMeshBlock(bytes, i, archive, blockAt);
    }
}

int64_t placeOf(std::optional<uint32_t> index) {
    return index ? static_cast<int64_t>(*index) : -1;
}

// The problems of one loader in their order, taken as the loader reaches the entry or bone they
// concern: those of neither come first.
class ProblemCursor {
  public:
    ProblemCursor(const Archive& archive, ProblemSource source)
        : problems_(archive.problems), source_(source) {}

    // Appends the lines of the problems up to the first that concerns a later entry or bone.
    void take(std::vector<std::string>& lines, int64_t entry, int64_t bone) {
        for (; next_ < problems_.size(); ++next_) {
            const ArchiveProblem& problem = problems_[next_];
            if (problemSource(problem.code) != source_) continue;
            if (placeOf(problem.entry) > entry || placeOf(problem.bone) > bone) return;
            lines.push_back(problemLine(problem));
        }
    }

  private:
    const std::vector<ArchiveProblem>& problems_;
    ProblemSource source_;
    size_t next_ = 0;
};

}  // namespace

Archive parseArchive(const uint8_t* data, size_t size) {
    const BoundedReader bytes(data, size);
    Archive archive;
    archive.size = size;
    readEntries(bytes, archive);
    readImages(bytes, archive);
    readSkeleton(bytes, archive);
    return archive;
}

bool Archive::cutShort() const {
    if (size < 4 || entries.size() < declaredEntries) return true;
    for (const ArchiveEntry& entry : entries) {
        if (entry.offset > size) return true;
    }
    return false;
}

int Archive::texturesResult() const {
    if (!imageTableAccepted) return -1;
    if (images.empty()) return 0;
    const ImageEntry& last = images.back();
    return last.inside && !last.check.failed ? 0 : -1;
}

std::vector<std::string> textureLoaderLines(const Archive& archive) {
    std::vector<std::string> lines;
    ProblemCursor problems(archive, ProblemSource::Textures);
    problems.take(lines, -1, -1);
    for (const ImageEntry& image : archive.images) {
        lines.push_back(formatted("Texture offset : %x\n", image.start));
        problems.take(lines, image.entry, -1);
    }
    return lines;
}

std::vector<std::string> skeletonLoaderLines(const Archive& archive) {
    std::vector<std::string> lines;
    ProblemCursor problems(archive, ProblemSource::Skeleton);
    problems.take(lines, -1, -1);
    for (size_t i = 0; i < archive.bones.size(); ++i) {
        problems.take(lines, -1, static_cast<int64_t>(i));
        const int16_t v = archive.bones[i].angle;
        lines.push_back(formatted("[%x] %d = %f(%x)\n", archive.angleTableOffset,
                                  static_cast<int>(i), boneAngleRadians(v),
                                  static_cast<unsigned>(static_cast<int>(v))));
    }
    return lines;
}
