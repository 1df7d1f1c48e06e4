#pragma once

#include <string>
#include <vector>

#include "model/pose.h"
#include "model/trs.h"

class BoneNode;

// A node's matrices for own, its transform in the frame its parent's bone offset leads to: the
// translation in the user matrix, the rest in the pose matrix, as the viewer's own edits keep
// them, and boneOffset as given.
NodeMatrices fromLocal(const Mat4d& own, const Matrix4& boneOffset);

// The pose's matrices in root's depth-first pre-order, as pose files order them; false when
// the pose lacks a node of the tree.
bool matricesInTreeOrder(const Pose& pose, const BoneNode& root, std::vector<NodeMatrices>& out);

// The name the export gives a node's joint, and the import finds it by: "root" or "bone N".
std::string jointName(int32_t boneId);

// parent[i] is the pre-order index of node i's parent, -1 for the root.
std::vector<int> preOrderParents(const BoneNode& root);

// Each node's transform relative to its parent's node: the parent's bone offset, then the
// node's user matrix, then its pose (parentOffset · user · pose).
std::vector<Mat4d> localTransforms(const std::vector<NodeMatrices>& tree,
                                   const std::vector<int>& parents);
// Each node's transform relative to the root's parent frame, the frame the mesh is drawn in.
std::vector<Mat4d> globalTransforms(const std::vector<NodeMatrices>& tree,
                                    const std::vector<int>& parents);

// One pose's node transforms relative to their parents (localTransforms), split, in pre-order.
struct PoseSplit {
    std::vector<NodeMatrices> matrices;  // the pose's matrices in pre-order
    std::vector<Trs> nodes;              // each node's transform split
    bool fits = false;                   // false when the pose lacks a node of the tree
    int failedNode = -1;                 // the first node whose transform cannot be split
    std::string why;                     // and why not, from decomposeTrs

    bool ok() const { return fits && failedNode < 0; }
};
// Splits the pose on root's tree (parents from preOrderParents), stopping at the first node
// that cannot be split.
PoseSplit splitPose(const Pose& pose, const BoneNode& root, const std::vector<int>& parents);
