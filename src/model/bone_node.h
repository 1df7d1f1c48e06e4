#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "model/matrix.h"
#include "model/part_mesh.h"
#include "model/scratch_stack.h"

// One bone of the skeleton. The mesh is drawn under userMatrix · poseMatrix, the children under
// userMatrix · poseMatrix · boneOffsetMatrix, inside the frame the parent hands down.
// Every walk over the tree is iterative, so a chain of any depth neither overflows the stack
// nor depends on the depth of the GL matrix stack.
class BoneNode {
  public:
    BoneNode(PartMesh* mesh, int32_t boneId);

    int32_t boneId;
    PartMesh* mesh;  // never null, not owned
    std::vector<BoneNode*> children;
    Matrix4 poseMatrix;        // the loader's rotation, then the user's rotations
    Matrix4 userMatrix;        // the user's translation
    Matrix4 boneOffsetMatrix;  // this bone's origin to its children's origin

    // Appends child under every node carrying parentId that does not lie below another such
    // node; nothing happens when no node carries it.
    void attachChild(BoneNode* child, int32_t parentId);

    void applyPoseMatrix(const Matrix4& m);  // drops m's translation
    void applyUserMatrix(const Matrix4& m);
    void applyBoneOffset(const Matrix4& m);

    // Marks exactly the meshes of nodes carrying id as selected, clearing every other.
    void selectBone(int32_t id);

    // Edits sent down the tree to the node carrying targetId (bone edits).
    void rotateBone(const Matrix4& m, int32_t targetId);
    void translateBone(const Matrix4& m, int32_t targetId);
};

// Visits node and its subtree in depth-first pre-order, children in order, without recursion.
template <typename Node, typename Visit>
void forEachPreOrder(Node& root, Visit&& visit) {
    ScratchStack<Node*> scratch;
    auto& stack = scratch.items();
    stack.push_back(&root);
    while (!stack.empty()) {
        Node* node = stack.back();
        stack.pop_back();
        visit(*node);
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
            stack.push_back(*it);
        }
    }
}
