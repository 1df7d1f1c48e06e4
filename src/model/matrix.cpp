#include "model/matrix.h"

#include <cmath>
#include <utility>

void matIdentity(Matrix4& m) {
    m.fill(0.0f);
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

Matrix4 identityMatrix() {
    Matrix4 m;
    matIdentity(m);
    return m;
}

Matrix4 matProduct(const Matrix4& a, const Matrix4& b) {
    Matrix4 p{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            for (int k = 0; k < 4; ++k) {
                p[4 * column + row] = p[4 * column + row] + b[4 * column + k] * a[4 * k + row];
            }
        }
    }
    return p;
}

namespace {

// The rotation by angle in the plane of axes u and v, turning u towards v.
Matrix4 planeRotation(int u, int v, double angle) {
    const float c = static_cast<float>(std::cos(angle));
    const float s = static_cast<float>(std::sin(angle));
    Matrix4 m = identityMatrix();
    m[4 * u + u] = c;
    m[4 * u + v] = s;
    m[4 * v + u] = -s;
    m[4 * v + v] = c;
    return m;
}

}  // namespace

Matrix4 rotationAboutX(double angle) {
    return planeRotation(1, 2, angle);
}

Matrix4 rotationAboutZ(double angle) {
    return planeRotation(0, 1, angle);
}

Matrix4 translationMatrix(float x, float y, float z) {
    Matrix4 m = identityMatrix();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

namespace {

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
