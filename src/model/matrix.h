#pragma once

#include <array>

// Sixteen floats in OpenGL column-major order: row r, column n at index 4n + r; the translation
// of an affine matrix is in elements 12, 13 and 14.
using Matrix4 = std::array<float, 16>;

// Sets m to the identity.
void matIdentity(Matrix4& m);

// The identity as a value, for initialising.
Matrix4 identityMatrix();

// The product a · b (column-major): b acts first, then a. The loop order and the float rounding
// of every partial sum are part of the contract, since stored pose files and the loader's
// matrices depend on them bit for bit.
Matrix4 matProduct(const Matrix4& a, const Matrix4& b);

// The right-handed rotations by angle radians about X and about Z. The cosine and sine are
// taken in double and rounded to float once.
Matrix4 rotationAboutX(double angle);
Matrix4 rotationAboutZ(double angle);

// The translation by (x, y, z).
Matrix4 translationMatrix(float x, float y, float z);

// Double-precision column-major 4 x 4 matrices: the export and the import take products and
// inverses of what the float matrices mean without float rounding.
using Mat4d = std::array<double, 16>;

Mat4d toMat4d(const Matrix4& m);
Mat4d identity4d();
Mat4d multiply(const Mat4d& a, const Mat4d& b);  // a · b: b acts first
// false when m has no finite inverse.
bool invert(const Mat4d& m, Mat4d& inverse);
std::array<double, 3> transformPoint(const Mat4d& m, float x, float y, float z);
