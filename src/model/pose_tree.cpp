#include "model/pose_tree.h"

#include "model/bone_node.h"

NodeMatrices fromLocal(const Mat4d& own, const Matrix4& boneOffset) {
    NodeMatrices m{identityMatrix(), identityMatrix(), boneOffset};
    for (size_t e = 0; e < m.pose.size(); ++e) m.pose[e] = static_cast<float>(own[e]);
    for (int e = 12; e < 15; ++e) {
        m.user[e] = m.pose[e];
        m.pose[e] = 0.0f;
    }
    return m;
}

bool matricesInTreeOrder(const Pose& pose, const BoneNode& root, std::vector<NodeMatrices>& out) {
    out.clear();
    bool whole = true;
    forEachPreOrder(root, [&](const BoneNode& node) {
        const NodeMatrices* m = pose.find(node.boneId);
        if (m) out.push_back(*m);
        whole = whole && m;
    });
    return whole;
}

std::string jointName(int32_t boneId) {
    return boneId == 0 ? "root" : "bone " + std::to_string(boneId);
}

std::vector<int> preOrderParents(const BoneNode& root) {
    // Pre-order puts a parent before its children; the stack pairs each node with its parent.
    std::vector<int> parents;
    std::vector<std::pair<const BoneNode*, int>> stack{{&root, -1}};
    while (!stack.empty()) {
        const auto [node, parent] = stack.back();
        stack.pop_back();
        const int index = static_cast<int>(parents.size());
        parents.push_back(parent);
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
            stack.emplace_back(*it, index);
        }
    }
    return parents;
}

std::vector<Mat4d> localTransforms(const std::vector<NodeMatrices>& tree,
                                   const std::vector<int>& parents) {
    std::vector<Mat4d> local(tree.size());
    for (size_t i = 0; i < tree.size(); ++i) {
        const Mat4d own = multiply(toMat4d(tree[i].user), toMat4d(tree[i].pose));
        local[i] = parents[i] < 0 ? own : multiply(toMat4d(tree[parents[i]].boneOffset), own);
    }
    return local;
}

std::vector<Mat4d> globalTransforms(const std::vector<NodeMatrices>& tree,
                                    const std::vector<int>& parents) {
    std::vector<Mat4d> global = localTransforms(tree, parents);
    for (size_t i = 0; i < global.size(); ++i) {
        if (parents[i] >= 0) global[i] = multiply(global[parents[i]], global[i]);
    }
    return global;
}

PoseSplit splitPose(const Pose& pose, const BoneNode& root, const std::vector<int>& parents) {
    PoseSplit split;
    split.fits = matricesInTreeOrder(pose, root, split.matrices);
    if (!split.fits) return split;
    const std::vector<Mat4d> local = localTransforms(split.matrices, parents);
    split.nodes.resize(local.size());
    for (size_t i = 0; i < local.size(); ++i) {
        split.why = decomposeTrs(local[i], split.nodes[i]).message;
        if (!split.why.empty()) {
            split.failedNode = static_cast<int>(i);
            break;
        }
    }
    return split;
}
