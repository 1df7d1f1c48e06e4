#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/matrix.h"
#include "model/pose.h"

class BoneNode;
class PartMesh;
class TexturePage;
struct Archive;

// The document: the texture page and the skeleton loaded from one model archive. A model is a
// value: it owns every mesh and node of its tree, so two models can live side by side.
class Model {
  public:
    // An empty model: the root (bone id 0) with its empty mesh, no bone, a clear page.
    Model();
    ~Model();
    Model(Model&&) noexcept;
    Model& operator=(Model&&) noexcept;
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    TexturePage& texturePage() { return *texturePage_; }
    const TexturePage& texturePage() const { return *texturePage_; }

    // The tree's root, bone id 0: the whole model. Never null.
    BoneNode* rootNode() const { return rootNode_; }
    // Bone i's mesh at index i, and the bone indices 0 .. n - 1, one per bone.
    std::vector<PartMesh*>& partList() { return partList_; }
    const std::vector<PartMesh*>& partList() const { return partList_; }
    std::vector<int32_t>& boneIndexList() { return boneIndexList_; }
    const std::vector<int32_t>& boneIndexList() const { return boneIndexList_; }
    size_t boneCount() const { return partList_.size(); }

    // A mesh and a node that the model owns until it goes; the caller hangs them in the tree.
    PartMesh* newPartMesh();
    BoneNode* newBoneNode(PartMesh* mesh, int32_t boneId);

    // The tree's matrices right after loading: the pose an export binds its skin to and
    // "Reset pose" goes back to, whatever the user has done since.
    Pose loadedPose;

    // Builds the bones below the root from an archive already read (archive/archive.h).
    void buildSkeleton(const uint8_t* data, const Archive& archive);

  private:
    std::unique_ptr<TexturePage> texturePage_;
    // Nodes hold plain pointers to their children, so releasing them never recurses, whatever
    // the depth of the tree.
    std::vector<std::unique_ptr<PartMesh>> meshes_;
    std::vector<std::unique_ptr<BoneNode>> nodes_;
    BoneNode* rootNode_ = nullptr;
    std::vector<PartMesh*> partList_;
    std::vector<int32_t> boneIndexList_;
};
