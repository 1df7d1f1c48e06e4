// Mouse edits travel from the root down to the node carrying the target id; each node on the way
// hands its children the request as seen in their own frame.

#include <cmath>
#include <utility>

#include "model/bone_node.h"
#include "model/scratch_stack.h"

namespace {

using Mat3 = double[3][3];  // [row][column]

// Walks the tree from start, giving every node the matrix its parent carried to it; a node for
// which handle() returns true keeps the request and its subtree is not visited.
template <typename Handle, typename Carry>
void sendDown(BoneNode& start, const Matrix4& m, Handle&& handle, Carry&& carry) {
    ScratchStack<std::pair<BoneNode*, Matrix4>> scratch;
    auto& stack = scratch.items();
    stack.emplace_back(&start, m);
    while (!stack.empty()) {
        auto [node, request] = stack.back();
        stack.pop_back();
        if (handle(*node, request)) continue;
        if (node->children.empty()) continue;
        const Matrix4 carried = carry(*node, request);
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
            stack.emplace_back(*it, carried);
        }
    }
}

void linearPart(const Matrix4& m, Mat3 out) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) out[r][c] = m[4 * c + r];
    }
}

void multiply(const Mat3 a, const Mat3 b, Mat3 out) {
    Mat3 t;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            t[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
        }
    }
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) out[r][c] = t[r][c];
    }
}

bool isIdentity(const Mat3 m) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            if (m[r][c] != (r == c ? 1.0 : 0.0)) return false;
        }
    }
    return true;
}

bool isOrthonormal(const Mat3 m) {
    constexpr double kTolerance = 1e-6;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const double dot = m[r][0] * m[c][0] + m[r][1] * m[c][1] + m[r][2] * m[c][2];
            if (std::fabs(dot - (r == c ? 1.0 : 0.0)) > kTolerance) return false;
        }
    }
    return true;
}

// The inverse of m: its transpose when m is a rotation, else the adjugate over the
// determinant. False when m is singular.
bool invert(const Mat3 m, Mat3 out) {
    if (isOrthonormal(m)) {
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) out[r][c] = m[c][r];
        }
        return true;
    }
    const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    if (!std::isfinite(det) || det == 0.0) return false;
    out[0][0] = c00 / det;
    out[1][0] = c01 / det;
    out[2][0] = c02 / det;
    out[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    out[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    out[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    out[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    out[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    out[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    return true;
}

// The rotation m, given in the frame the node is drawn in, as seen in the frame its children are
// drawn in: L^-1 · m · L, with L the linear part of userMatrix · poseMatrix · boneOffsetMatrix.
// An identity on either side passes m through untouched, so identity requests never drift and
// below identity poses the request arrives exactly as sent.
Matrix4 rotationForChildren(const BoneNode& node, const Matrix4& m) {
    Mat3 request;
    linearPart(m, request);
    if (isIdentity(request)) return m;

    Mat3 frame, pose, offset;
    linearPart(node.userMatrix, frame);
    linearPart(node.poseMatrix, pose);
    linearPart(node.boneOffsetMatrix, offset);
    multiply(frame, pose, frame);
    multiply(frame, offset, frame);
    if (isIdentity(frame)) return m;

    Mat3 inverse;
    if (!invert(frame, inverse)) return m;
    Mat3 conjugated;
    multiply(inverse, request, conjugated);
    multiply(conjugated, frame, conjugated);

    Matrix4 carried = m;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) carried[4 * c + r] = static_cast<float>(conjugated[r][c]);
    }
    carried[12] = carried[13] = carried[14] = 0.0f;
    return carried;
}

}  // namespace

void BoneNode::rotateBone(const Matrix4& m, int32_t targetId) {
    sendDown(
        *this, m,
        [targetId](BoneNode& node, const Matrix4& request) {
            if (node.boneId != targetId) return false;
            node.applyPoseMatrix(request);
            return true;
        },
        rotationForChildren);
}

void BoneNode::translateBone(const Matrix4& m, int32_t targetId) {
    sendDown(
        *this, m,
        [targetId](BoneNode& node, const Matrix4& request) {
            if (node.boneId != targetId) return false;
            node.applyUserMatrix(translationMatrix(request[12], request[13], request[14]));
            return true;
        },
        [](const BoneNode& node, const Matrix4& request) {
            // The children see the translation through the transpose of this node's pose.
            Matrix4 transpose = identityMatrix();
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j) transpose[4 * j + i] = node.poseMatrix[4 * i + j];
            }
            return matProduct(transpose, request);
        });
}
