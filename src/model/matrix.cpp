#include "model/matrix.h"

#include <cmath>

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
