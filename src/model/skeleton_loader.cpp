// Builds the bones of a model archive from its one reading: one mesh and one node per bone
// record, hung below the root, with the record's length as the bone offset and the table's
// angle as the pose.

#include <vector>

#include "archive/archive.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"

namespace {

// Hangs each new bone under its parent. When the tree held only the root as the load began, the
// ids in it are exactly those this load hands out, so a table from id to attached node gives the
// same tree as attachChild's search from the root without walking the tree once per bone; a
// tree that already held bones gets the search.
class BoneAttacher {
  public:
    BoneAttacher(BoneNode* root, size_t boneCount)
        : root_(root), useTable_(root->children.empty()) {
        if (useTable_) {
            byId_.assign(boneCount + 1, nullptr);
            byId_[0] = root;
        }
    }

    void attach(BoneNode* node, uint16_t parentId) {
        if (!useTable_) {
            root_->attachChild(node, parentId);
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
    BoneNode* root_;
    bool useTable_;
    std::vector<BoneNode*> byId_;
};

}  // namespace

void Model::buildSkeleton(const uint8_t* data, const Archive& archive) {
    const BoundedReader bytes(data, archive.size);
    const size_t first = partList_.size();
    BoneAttacher attacher(rootNode_, archive.bones.size());
    partList_.reserve(first + archive.bones.size());
    boneIndexList_.reserve(first + archive.bones.size());
    for (size_t i = 0; i < archive.bones.size(); ++i) {
        const BoneRecord& record = archive.bones[i];
        PartMesh* mesh = newPartMesh();
        partList_.push_back(mesh);
        BoneNode* node = newBoneNode(mesh, static_cast<int32_t>(i + 1));
        attacher.attach(node, record.parent);
        node->applyBoneOffset(translationMatrix(0.0f, 0.0f, static_cast<float>(record.length)));
        if (record.block >= 0) {
            const MeshBlock& block = archive.blocks[static_cast<size_t>(record.block)];
            mesh->fillFromBlock(bytes.slice(block.start, block.layout.end), block.layout);
        }
        boneIndexList_.push_back(static_cast<int32_t>(i));
        node->applyPoseMatrix(rotationAboutX(boneAngleRadians(record.angle)));
    }
}
