#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive_builder.h"
#include "model/bone_node.h"
#include "model/matrix.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "support/model_fixture.h"
#include "support/test_model.h"

namespace model_test {

namespace ab = archive_builder;

// Builds the bones of an archive built in memory into model and returns the skeleton loader's
// lines.
inline std::string parseCapturing(Model& model, const ab::Bytes& bytes, int* result = nullptr) {
    const Archive archive = parseArchive(bytes);
    model.buildSkeleton(bytes.data(), archive);
    if (result) *result = archive.skeletonResult();
    std::string lines;
    for (const std::string& line : skeletonLoaderLines(archive)) lines += line;
    return lines;
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            out.push_back(text.substr(start));
            break;
        }
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// Every node of the tree below rootNode, in pre-order.
inline std::vector<BoneNode*> preOrder(BoneNode& root) {
    std::vector<BoneNode*> nodes;
    forEachPreOrder(root, [&nodes](BoneNode& node) { nodes.push_back(&node); });
    return nodes;
}

inline std::vector<int32_t> preOrderIds(BoneNode& root) {
    std::vector<int32_t> ids;
    forEachPreOrder(root, [&ids](BoneNode& node) { ids.push_back(node.boneId); });
    return ids;
}

inline BoneNode* findNode(BoneNode& root, int32_t id) {
    return test_support::findBone(root, id);
}

// Column-major product a · b in double, for checking composed frames.
using MatrixD = std::array<double, 16>;
inline MatrixD toDouble(const Matrix4& m) {
    MatrixD d;
    for (int i = 0; i < 16; ++i) d[i] = m[i];
    return d;
}
inline MatrixD product(const MatrixD& a, const MatrixD& b) {
    MatrixD p{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            for (int k = 0; k < 4; ++k) p[4 * c + r] += a[4 * k + r] * b[4 * c + k];
        }
    }
    return p;
}

// The frame a node's mesh is drawn in, seen from the frame rootNode is drawn in: every
// ancestor's user · pose · offset, then the node's own user · pose.
inline MatrixD worldFrame(BoneNode& root, int32_t id) {
    std::vector<BoneNode*> path;
    // Depth-first search with an explicit path.
    struct Entry {
        BoneNode* node;
        size_t depth;
    };
    std::vector<Entry> stack{{&root, 0}};
    while (!stack.empty()) {
        Entry e = stack.back();
        stack.pop_back();
        path.resize(e.depth);
        path.push_back(e.node);
        if (e.node->boneId == id) break;
        for (auto it = e.node->children.rbegin(); it != e.node->children.rend(); ++it) {
            stack.push_back({*it, e.depth + 1});
        }
    }
    MatrixD frame{};
    frame[0] = frame[5] = frame[10] = frame[15] = 1.0;
    for (size_t i = 0; i < path.size(); ++i) {
        frame = product(frame, toDouble(path[i]->userMatrix));
        frame = product(frame, toDouble(path[i]->poseMatrix));
        if (i + 1 < path.size()) frame = product(frame, toDouble(path[i]->boneOffsetMatrix));
    }
    return frame;
}

using ModelStateTest = test_support::ModelFixture;

}  // namespace model_test
