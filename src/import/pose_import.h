#pragma once

#include <string>
#include <vector>

#include "import/gltf_animation.h"
#include "model/pose.h"
#include "model/pose_tree.h"

namespace tinygltf {
class Model;
}
class BoneNode;

// Poses taken from a glTF's skin for the archive's tree, matched by the names the export gives
// the joints ("root", "bone N"). What the skin does to a part's vertices (its joint's world
// matrix times its inverse bind matrix) is what is kept: tools turn joint frames their own way
// and compensate in the inverse bind matrices, and the parts land in the same places.
//
// The pose written puts the bone's translation in userMatrix, its rotation (and any scale) in
// poseMatrix, and keeps the archive's bone length in boneOffsetMatrix, as the viewer's own edits
// do.
class GltfPoseSource {
  public:
    // "" when doc's joint tree is root's bone tree; else the first difference, in one line.
    // doc, root and loaded (the tree's matrices as loaded) must outlive the source.
    std::string open(const tinygltf::Model& doc, const BoneNode& root, const Pose& loaded);

    bool animated() const { return animated_; }
    // The key times of the first animation, rising (the union of its channels').
    std::vector<double> keyTimes() const { return animation_.keyTimes(); }

    // The pose of the nodes as they stand (time null) or of the first animation at *time.
    // "" on success, else the bone whose place cannot be reached.
    std::string poseAt(const double* time, Pose& out) const;

    // Where the file's mesh holds the parts as bound, seen from the viewer's frame.
    const Mat4d& bindSpace() const { return bindSpace_; }
    // For each joint of the skin, in its order, the bone's position in the tree's pre-order.
    std::vector<int> skinJointPositions(const tinygltf::Model& doc) const;
    // The archive's tree in pre-order: bone ids, and where each node is drawn as loaded.
    const std::vector<int32_t>& treeIds() const { return ids_; }
    const std::vector<Mat4d>& loadedGlobals() const { return loadedGlobal_; }
    int skin() const { return skin_; }

  private:
    std::string readTree(const tinygltf::Model& doc);
    std::string matchJoints(const tinygltf::Model& doc);
    std::string readInverseBinds(const tinygltf::Model& doc);
    std::string findBindSpace(const tinygltf::Model& doc, const BoneNode& root);

    // The glTF's nodes: parents (-1 for none), and an order that puts parents first.
    std::vector<int> nodeParent_, nodeOrder_;
    std::vector<NodeTransform> nodes_;
    GltfAnimation animation_;
    bool animated_ = false;
    int skin_ = -1;

    // The tree in pre-order: names, parent positions, joint nodes, and the matrices as loaded.
    std::vector<std::string> names_;
    std::vector<int> parents_;
    std::vector<int> jointNode_;
    std::vector<int32_t> ids_;
    std::vector<NodeMatrices> loaded_;
    std::vector<Mat4d> loadedGlobal_, inverseBind_;
    // Where the file's mesh holds the parts as bound, from the viewer's frame: our own export
    // keeps the viewer's frame, other tools mostly the glTF world.
    Mat4d bindSpace_ = identity4d();
};
