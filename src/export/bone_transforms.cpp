#include "export/bone_transforms.h"

#include <cmath>

#include "model/bone_node.h"

namespace {

// Below this a scale counts as zero; above it two axes count as sheared.
constexpr double kMinScale = 1e-6;
constexpr double kMaxAxisCosine = 1e-3;
constexpr double kAffineTolerance = 1e-6;

double at(const Mat4d& m, int row, int column) {
    return m[4 * column + row];
}

}  // namespace

Mat4d toMat4d(const Matrix4& m) {
    Mat4d d{};
    for (size_t k = 0; k < d.size(); ++k) d[k] = m[k];
    return d;
}

Mat4d identity4d() {
    Mat4d m{};
    m[0] = m[5] = m[10] = m[15] = 1.0;
    return m;
}

Mat4d multiply(const Mat4d& a, const Mat4d& b) {
    Mat4d c{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += at(a, row, k) * at(b, k, column);
            c[4 * column + row] = sum;
        }
    }
    return c;
}

bool invert(const Mat4d& m, Mat4d& inverse) {
    // Gauss-Jordan elimination with partial pivoting on [m | I].
    double a[4][8];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            a[r][c] = at(m, r, c);
            a[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    }
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r) {
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        }
        if (!(std::fabs(a[pivot][c]) > 1e-12)) return false;
        for (int k = 0; k < 8; ++k) std::swap(a[c][k], a[pivot][k]);
        const double scale = a[c][c];
        for (int k = 0; k < 8; ++k) a[c][k] /= scale;
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            const double factor = a[r][c];
            for (int k = 0; k < 8; ++k) a[r][k] -= factor * a[c][k];
        }
    }
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (!std::isfinite(a[r][c + 4])) return false;
            inverse[4 * c + r] = a[r][c + 4];
        }
    }
    return true;
}

std::array<double, 3> transformPoint(const Mat4d& m, float x, float y, float z) {
    std::array<double, 3> p{};
    for (int row = 0; row < 3; ++row) {
        p[row] = at(m, row, 0) * x + at(m, row, 1) * y + at(m, row, 2) * z + at(m, row, 3);
    }
    return p;
}

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

std::string decomposeTrs(const Mat4d& m, Trs& out) {
    for (double value : m) {
        if (!std::isfinite(value)) return "not a finite number";
    }
    if (std::fabs(m[3]) > kAffineTolerance || std::fabs(m[7]) > kAffineTolerance ||
        std::fabs(m[11]) > kAffineTolerance || std::fabs(m[15] - 1.0) > kAffineTolerance) {
        return "a projective row";
    }
    double axes[3][3];
    for (int c = 0; c < 3; ++c) {
        const double length = std::sqrt(m[4 * c] * m[4 * c] + m[4 * c + 1] * m[4 * c + 1] +
                                        m[4 * c + 2] * m[4 * c + 2]);
        if (!(length > kMinScale)) return "a zero scale";
        out.scale[c] = length;
        for (int r = 0; r < 3; ++r) axes[c][r] = m[4 * c + r] / length;
    }
    for (int c = 0; c < 3; ++c) {
        const double* a = axes[c];
        const double* b = axes[(c + 1) % 3];
        if (std::fabs(a[0] * b[0] + a[1] * b[1] + a[2] * b[2]) > kMaxAxisCosine) return "a shear";
    }
    const double* x = axes[0];
    const double* y = axes[1];
    const double* z = axes[2];
    const double det = x[0] * (y[1] * z[2] - y[2] * z[1]) - y[0] * (x[1] * z[2] - x[2] * z[1]) +
                       z[0] * (x[1] * y[2] - x[2] * y[1]);
    if (det < 0.0) return "a mirroring";

    // Rotation matrix element (row r, column c) is axes[c][r].
    const double r00 = x[0], r11 = y[1], r22 = z[2];
    double q[4];  // x, y, z, w
    const double trace = r00 + r11 + r22;
    if (trace > 0.0) {
        const double s = 2.0 * std::sqrt(trace + 1.0);
        q[3] = 0.25 * s;
        q[0] = (y[2] - z[1]) / s;
        q[1] = (z[0] - x[2]) / s;
        q[2] = (x[1] - y[0]) / s;
    } else if (r00 > r11 && r00 > r22) {
        const double s = 2.0 * std::sqrt(1.0 + r00 - r11 - r22);
        q[3] = (y[2] - z[1]) / s;
        q[0] = 0.25 * s;
        q[1] = (y[0] + x[1]) / s;
        q[2] = (z[0] + x[2]) / s;
    } else if (r11 > r22) {
        const double s = 2.0 * std::sqrt(1.0 + r11 - r00 - r22);
        q[3] = (z[0] - x[2]) / s;
        q[0] = (y[0] + x[1]) / s;
        q[1] = 0.25 * s;
        q[2] = (z[1] + y[2]) / s;
    } else {
        const double s = 2.0 * std::sqrt(1.0 + r22 - r00 - r11);
        q[3] = (x[1] - y[0]) / s;
        q[0] = (z[0] + x[2]) / s;
        q[1] = (z[1] + y[2]) / s;
        q[2] = 0.25 * s;
    }
    const double norm = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (int k = 0; k < 4; ++k) out.rotation[k] = q[k] / norm;
    out.translation = {m[12], m[13], m[14]};
    return "";
}

PoseSplit splitPose(const Pose& pose, const BoneNode& root, const std::vector<int>& parents) {
    PoseSplit split;
    split.fits = matricesInTreeOrder(pose, root, split.matrices);
    if (!split.fits) return split;
    const std::vector<Mat4d> local = localTransforms(split.matrices, parents);
    split.nodes.resize(local.size());
    for (size_t i = 0; i < local.size(); ++i) {
        split.why = decomposeTrs(local[i], split.nodes[i]);
        if (!split.why.empty()) {
            split.failedNode = static_cast<int>(i);
            break;
        }
    }
    return split;
}

Mat4d composeTrs(const Trs& trs) {
    const auto& r = trs.rotation;
    const double norm = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2] + r[3] * r[3]);
    const double x = r[0] / norm, y = r[1] / norm, z = r[2] / norm, w = r[3] / norm;
    const double columns[3][3] = {
        {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w)},
        {2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w)},
        {2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)}};
    Mat4d m = identity4d();
    for (int c = 0; c < 3; ++c) {
        for (int row = 0; row < 3; ++row) m[4 * c + row] = columns[c][row] * trs.scale[c];
        m[12 + c] = trs.translation[c];
    }
    return m;
}

std::array<double, 4> slerp(const std::array<double, 4>& a, std::array<double, 4> b, double u) {
    double cosine = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    if (cosine < 0) {
        for (double& component : b) component = -component;
        cosine = -cosine;
    }
    double wa = 1 - u, wb = u;
    if (cosine < 0.9995) {  // nearly equal turns are blended linearly, then normalised
        const double angle = std::acos(cosine);
        wa = std::sin((1 - u) * angle) / std::sin(angle);
        wb = std::sin(u * angle) / std::sin(angle);
    }
    std::array<double, 4> q{};
    double norm = 0;
    for (int k = 0; k < 4; ++k) {
        q[k] = wa * a[k] + wb * b[k];
        norm += q[k] * q[k];
    }
    norm = std::sqrt(norm);
    for (double& component : q) component /= norm;
    return q;
}
