// Builds the bones of a model archive: entry 0 is the skeleton section (bone count, two unused
// words, one 8-byte record per bone, then the mesh blocks), entry 2 the angle table (one int16
// per bone after a 4-byte header, in 1/65535 of a turn). Every count and offset in the archive
// is checked against the buffer before it is used.

#include <cstdio>
#include <string>
#include <vector>

#include "archive/entry_table.h"
#include "console/console.h"
#include "io/bounded_reader.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/model_state.h"
#include "model/part_mesh.h"
#include "model/skeleton_layout.h"

namespace {

// Hangs each new bone under its parent. When the tree held only the root as the load began, the
// ids in it are exactly those this load hands out, so a table from id to attached node gives the
// same tree as attachChild's search from the root without walking the tree once per bone; a
// tree that already held bones gets the search.
class BoneAttacher {
  public:
    explicit BoneAttacher(size_t boneCount) : useTable_(rootNode->children.empty()) {
        if (useTable_) {
            byId_.assign(boneCount + 1, nullptr);
            byId_[0] = rootNode;
        }
    }

    void attach(BoneNode* node, uint16_t parentId) {
        if (!useTable_) {
            rootNode->attachChild(node, parentId);
            return;
        }
        // Bone ids are handed out in record order, so a parent id at or above this node's id
        // names a node that is not in the tree yet.
        const size_t id = static_cast<size_t>(node->boneId);
        if (parentId >= id || !byId_[parentId]) return;
        byId_[parentId]->children.push_back(node);
        byId_[id] = node;
    }

  private:
    bool useTable_;
    std::vector<BoneNode*> byId_;
};

// One angle per bone; a table that is missing or too short gives 0 for the bones it lacks.
class AngleTable {
  public:
    AngleTable(const BoundedReader& archive, const EntryTable& entries, size_t boneCount)
        : archive_(archive) {
        uint32_t entryCount = 0;
        entries.count(entryCount);
        present_ = entryCount > kAngleTableEntry && entries.offset(kAngleTableEntry, offset_);
        if (!present_) {
            consoleProblem(
                "The archive has %u entries and no angle table: every bone gets angle 0\n",
                entryCount);
            return;
        }
        const size_t start = static_cast<size_t>(offset_) + kAnglesStart;
        const size_t held = start <= archive.size() ? (archive.size() - start) / 2 : 0;
        if (held < boneCount) {
            consoleProblem(
                "The angle table at %x holds %zu of %zu angles: the missing ones are 0\n", offset_,
                held, boneCount);
        }
    }

    uint32_t offset() const { return offset_; }

    int16_t angle(size_t bone) const {
        int16_t v = 0;
        if (present_) archive_.readI16(static_cast<size_t>(offset_) + kAnglesStart + 2 * bone, v);
        return v;
    }

  private:
    const BoundedReader& archive_;
    bool present_ = false;
    uint32_t offset_ = 0;
};

// The record's mesh offset counts from the start of the skeleton section; the block may run to
// the end of the archive.
void parseBoneMesh(const BoundedReader& archive, size_t sectionStart, uint32_t meshOffset,
                   size_t bone, PartMesh& mesh) {
    const BoundedReader block = archive.from(sectionStart + meshOffset);
    if (block.size() == 0) {
        consoleProblem(
            "Bone %zu: the mesh block at section offset %x lies outside the archive: "
            "mesh skipped\n",
            bone, meshOffset);
        return;
    }
    std::string error;
    if (!mesh.parsePartMesh(block, &error)) {
        consoleProblem("Bone %zu: the mesh block at section offset %x is skipped: %s\n", bone,
                       meshOffset, error.c_str());
    }
}

}  // namespace

int Model::parseSkeleton(const uint8_t* data, size_t size) {
    createRootNode();
    const BoundedReader archive(data, size);
    const EntryTable entries(archive);

    uint32_t sectionOffset = 0;
    if (!entries.offset(kSkeletonEntry, sectionOffset)) {
        consoleProblem("The archive (%zu bytes) is too short for its entry table\n", size);
        return -1;
    }
    const size_t sectionStart = sectionOffset;
    int32_t declared = 0;
    if (!archive.readI32(sectionStart, declared)) {
        consoleProblem("The skeleton section at %x lies outside the archive (%zu bytes)\n",
                       sectionOffset, size);
        return -1;
    }
    if (declared <= 0) return 0;
    const size_t boneCount = static_cast<size_t>(declared);
    const size_t recordsStart = sectionStart + kRecordsStart;
    const size_t recordsHeld = recordsStart <= size ? (size - recordsStart) / kRecordBytes : 0;
    if (boneCount > recordsHeld) {
        consoleProblem(
            "The skeleton declares %zu bones but the archive holds records for only %zu\n",
            boneCount, recordsHeld);
        return -1;
    }

    const AngleTable angles(archive, entries, boneCount);
    BoneAttacher attacher(boneCount);
    partList.reserve(partList.size() + boneCount);
    boneIndexList.reserve(boneIndexList.size() + boneCount);

    for (size_t i = 0; i < boneCount; ++i) {
        const size_t record = recordsStart + kRecordBytes * i;
        uint16_t parentId = 0;
        int16_t length = 0;
        uint32_t meshOffset = 0;
        archive.readU16(record, parentId);
        archive.readI16(record + 2, length);
        archive.readU32(record + 4, meshOffset);

        PartMesh* mesh = newPartMesh();
        partList.push_back(mesh);
        BoneNode* node = newBoneNode(mesh, static_cast<int32_t>(i + 1));
        attacher.attach(node, parentId);
        node->applyBoneOffset(translationMatrix(0.0f, 0.0f, static_cast<float>(length)));
        if (meshOffset != 0) parseBoneMesh(archive, sectionStart, meshOffset, i, *mesh);
        boneIndexList.push_back(static_cast<int32_t>(i));

        consolePrintf("[%x] ", angles.offset());
        const int16_t v = angles.angle(i);
        const float t = boneAngleRadians(v);
        consolePrintf("%d = %f(%x)\n", static_cast<int>(i), t,
                      static_cast<unsigned>(static_cast<int>(v)));
        node->applyPoseMatrix(rotationAboutX(t));
    }
    return 0;
}
