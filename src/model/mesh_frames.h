#pragma once

#include <cstddef>
#include <vector>

#include "model/bone_node.h"
#include "model/matrix.h"

// Visits every node of the tree in depth-first pre-order (children in order, empty child slots
// skipped) with the frame its mesh is drawn in: base · user · pose composed down the tree, each
// node's children inside its frame · bone offset. Iterative, so any depth of chain is safe.
template <typename Visit>
void forEachMeshFrame(const BoneNode& root, const Matrix4& base, Visit&& visit) {
    struct Open {
        const BoneNode* node;
        size_t nextChild;
        Matrix4 childFrame;
    };
    std::vector<Open> stack;
    auto enter = [&](const BoneNode& node, const Matrix4& parentFrame) {
        const Matrix4 meshFrame =
            matProduct(matProduct(parentFrame, node.userMatrix), node.poseMatrix);
        visit(node, meshFrame);
        stack.push_back({&node, 0, matProduct(meshFrame, node.boneOffsetMatrix)});
    };
    enter(root, base);
    while (!stack.empty()) {
        Open& open = stack.back();
        const BoneNode* child = nullptr;
        while (!child && open.nextChild < open.node->children.size()) {
            child = open.node->children[open.nextChild++];
        }
        if (child) {
            const Matrix4 parentFrame = open.childFrame;  // enter may move the stack
            enter(*child, parentFrame);
        } else {
            stack.pop_back();
        }
    }
}
