#include "model/matrix.h"

void matIdentity(Matrix4& m) {
    m.fill(0.0f);
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

Matrix4 identityMatrix() {
    Matrix4 m;
    matIdentity(m);
    return m;
}

void matMultiply(Matrix4& a, const Matrix4& b) {
    // The product is formed in a temporary so that a and b may alias.
    float t[16] = {};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            for (int k = 0; k < 4; ++k) {
                t[4 * i + j] = t[4 * i + j] + a[4 * i + k] * b[4 * k + j];
            }
        }
    }
    for (int i = 0; i < 16; ++i) a[i] = t[i];
}
