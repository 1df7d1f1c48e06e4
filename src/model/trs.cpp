#include "model/trs.h"

#include <cmath>

namespace {

// Below this a scale counts as zero; above it two axes count as sheared.
constexpr double kMinScale = 1e-6;
constexpr double kMaxAxisCosine = 1e-3;
constexpr double kAffineTolerance = 1e-6;

}  // namespace

Result<> decomposeTrs(const Mat4d& m, Trs& out) {
    for (double value : m) {
        if (!std::isfinite(value)) return Result<>::failed(1, "not a finite number");
    }
    if (std::fabs(m[3]) > kAffineTolerance || std::fabs(m[7]) > kAffineTolerance ||
        std::fabs(m[11]) > kAffineTolerance || std::fabs(m[15] - 1.0) > kAffineTolerance) {
        return Result<>::failed(2, "a projective row");
    }
    double axes[3][3];
    for (int c = 0; c < 3; ++c) {
        const double length = std::sqrt(m[4 * c] * m[4 * c] + m[4 * c + 1] * m[4 * c + 1] +
                                        m[4 * c + 2] * m[4 * c + 2]);
        if (!(length > kMinScale)) return Result<>::failed(3, "a zero scale");
        out.scale[c] = length;
        for (int r = 0; r < 3; ++r) axes[c][r] = m[4 * c + r] / length;
    }
    for (int c = 0; c < 3; ++c) {
        const double* a = axes[c];
        const double* b = axes[(c + 1) % 3];
        if (std::fabs(a[0] * b[0] + a[1] * b[1] + a[2] * b[2]) > kMaxAxisCosine)
            return Result<>::failed(4, "a shear");
    }
    const double* x = axes[0];
    const double* y = axes[1];
    const double* z = axes[2];
    const double det = x[0] * (y[1] * z[2] - y[2] * z[1]) - y[0] * (x[1] * z[2] - x[2] * z[1]) +
                       z[0] * (x[1] * y[2] - x[2] * y[1]);
    if (det < 0.0) return Result<>::failed(5, "a mirroring");

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
    return {};
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
