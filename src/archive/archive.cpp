// One reading of a model archive. Nothing in it is trusted: every count and offset is checked
// against the bytes before it is used, and what does not hold becomes a problem with the line
// the loader that meets it prints.

#include "archive/archive.h"

#include <cstdio>
#include <map>

#include "archive/entry_table.h"
#include "io/formatted.h"

namespace {

void addProblem(Archive& archive, ProblemCode code, ProblemSource source, int64_t entry,
                int64_t bone, std::string line) {
    archive.problems.push_back({code, source, entry, bone, std::move(line)});
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
        addProblem(archive, ProblemCode::TooManyEntries, ProblemSource::Textures, -1, -1,
                   formatted("Warning num of entries. [%d]\n", static_cast<int>(count)));
        return;
    }
    // The table's words must all be in the file, the count's included.
    if (!EntryTable(bytes).holdsOffsets(count)) {
        addProblem(archive, ProblemCode::OffsetTableOutside, ProblemSource::Textures, -1, -1,
                   formatted("Error : offset table beyond the end of the file. [%u entries, %ld "
                             "bytes]\n",
                             count, static_cast<long>(archive.size)));
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
            addProblem(archive, ProblemCode::TextureEntryOutside, ProblemSource::Textures, i, -1,
                       formatted("Error : texture entry outside the file. [%x,%x] file size "
                                 "[%lx]\n",
                                 image.start, static_cast<uint32_t>(image.end),
                                 static_cast<long>(archive.size)));
        } else {
            image.check = checkTimEntry(bytes.slice(image.start, image.end - image.start));
            for (const TimEntryCheck::Line& line : image.check.lines) {
                addProblem(archive, line.code, ProblemSource::Textures, i, -1, line.text);
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
        addProblem(archive, ProblemCode::NoAngleTable, ProblemSource::Skeleton, -1, -1,
                   formatted("The archive has %u entries and no angle table: every bone gets "
                             "angle 0\n",
                             entryCount));
        return;
    }
    const size_t start = static_cast<size_t>(archive.angleTableOffset) + kAnglesStart;
    const size_t held = start <= bytes.size() ? (bytes.size() - start) / 2 : 0;
    if (held < archive.bones.size()) {
        addProblem(archive, ProblemCode::AngleTableShort, ProblemSource::Skeleton, -1, -1,
                   formatted("The angle table at %x holds %zu of %zu angles: the missing ones "
                             "are 0\n",
                             archive.angleTableOffset, held, archive.bones.size()));
    }
    for (size_t i = 0; i < archive.bones.size(); ++i) {
        bytes.readI16(start + 2 * i, archive.bones[i].angle);
    }
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
    const BoundedReader block = bytes.from(start);
    if (block.size() == 0) {
        addProblem(archive, ProblemCode::MeshBlockOutside, ProblemSource::Skeleton, -1,
                   static_cast<int64_t>(bone),
                   formatted("Bone %zu: the mesh block at section offset %x lies outside the "
                             "archive: mesh skipped\n",
                             bone, record.meshOffset));
        return;
    }
    MeshBlock mesh;
    mesh.start = start;
    const Result<> measured = measureMeshBlock(block, mesh.layout);
    if (!measured.ok()) {
        addProblem(archive, ProblemCode::MeshBlockBad, ProblemSource::Skeleton, -1,
                   static_cast<int64_t>(bone),
                   formatted("Bone %zu: the mesh block at section offset %x is skipped: %s\n", bone,
                             record.meshOffset, measured.message.c_str()));
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
        addProblem(
            archive, ProblemCode::EntryTableShort, ProblemSource::Skeleton, -1, -1,
            formatted("The archive (%zu bytes) is too short for its entry table\n", bytes.size()));
        return;
    }
    archive.sectionStart = sectionOffset;
    if (!bytes.readI32(archive.sectionStart, archive.declaredBones)) {
        addProblem(archive, ProblemCode::SkeletonOutside, ProblemSource::Skeleton, -1, -1,
                   formatted("The skeleton section at %x lies outside the archive (%zu bytes)\n",
                             sectionOffset, bytes.size()));
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
        addProblem(archive, ProblemCode::BoneRecordsShort, ProblemSource::Skeleton, -1, -1,
                   formatted("The skeleton declares %zu bones but the archive holds records for "
                             "only %zu\n",
                             boneCount, recordsHeld));
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
            if (problem.source != source_) continue;
            if (problem.entry > entry || problem.bone > bone) return;
            lines.push_back(problem.line);
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
