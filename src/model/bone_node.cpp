#include "model/bone_node.h"

#include "model/scratch_stack.h"

BoneNode::BoneNode(PartMesh* mesh_, int32_t boneId_)
    : boneId(boneId_),
      mesh(mesh_),
      poseMatrix(identityMatrix()),
      userMatrix(identityMatrix()),
      boneOffsetMatrix(identityMatrix()) {}

void BoneNode::attachChild(BoneNode* child, int32_t parentId) {
    // A node carrying parentId takes the child and is not searched below; every other node
    // passes the search on to all of its children.
    ScratchStack<BoneNode*> scratch;
    auto& stack = scratch.items();
    stack.push_back(this);
    while (!stack.empty()) {
        BoneNode* node = stack.back();
        stack.pop_back();
        if (node->boneId == parentId) {
            node->children.push_back(child);
            continue;
        }
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
            stack.push_back(*it);
        }
    }
}

void BoneNode::applyPoseMatrix(const Matrix4& m) {
    // A pose only turns: the translation of m is dropped.
    Matrix4 rotation = m;
    rotation[12] = rotation[13] = rotation[14] = 0.0f;
    poseMatrix = matProduct(rotation, poseMatrix);
}

void BoneNode::applyUserMatrix(const Matrix4& m) {
    userMatrix = matProduct(m, userMatrix);
}

void BoneNode::applyBoneOffset(const Matrix4& m) {
    boneOffsetMatrix = matProduct(m, boneOffsetMatrix);
}

void BoneNode::selectBone(int32_t id) {
    forEachPreOrder(*this, [id](BoneNode& node) { node.mesh->setSelected(node.boneId == id); });
}
