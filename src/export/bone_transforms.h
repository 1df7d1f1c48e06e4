#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/pose.h"

class BoneNode;

// Double-precision column-major 4 x 4 matrices for the export: the file stores what the float
// matrices of the tree mean, so products and inverses are taken without float rounding.
using Mat4d = std::array<double, 16>;

Mat4d toMat4d(const Matrix4& m);
Mat4d identity4d();
Mat4d multiply(const Mat4d& a, const Mat4d& b);  // a · b: b acts first
// false when m has no finite inverse.
bool invert(const Mat4d& m, Mat4d& inverse);
std::array<double, 3> transformPoint(const Mat4d& m, float x, float y, float z);

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

// Translation, rotation (unit quaternion x, y, z, w) and scale.
struct Trs {
    std::array<double, 3> translation{};
    std::array<double, 4> rotation{0, 0, 0, 1};
    std::array<double, 3> scale{1, 1, 1};
};

// Splits an affine matrix into translation · rotation · positive scale. Returns "" on
// success, else why it cannot be split: a value that is not finite, a projective row, a zero
// scale, a shear or a mirroring.
std::string decomposeTrs(const Mat4d& m, Trs& out);

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

// translation · rotation · scale as a matrix; the rotation need not be of unit length.
Mat4d composeTrs(const Trs& trs);

// The spherical interpolation from a to b (u from 0 to 1) the short way round, as glTF
// animations turn.
std::array<double, 4> slerp(const std::array<double, 4>& a, std::array<double, 4> b, double u);
