#pragma once

#include <array>

// Sixteen floats in OpenGL column-major order: row r, column n at index 4n + r; the translation
// of an affine matrix is in elements 12, 13 and 14.
using Matrix4 = std::array<float, 16>;

// Sets m to the identity.
void matIdentity(Matrix4& m);

// Replaces a by b · a (column-major): b acts after a. a and b may be the same matrix.
// The loop order and the float rounding of every partial sum are part of the contract, since
// stored pose files and the loader's matrices depend on them bit for bit.
void matMultiply(Matrix4& a, const Matrix4& b);

// The identity as a value, for initialising.
Matrix4 identityMatrix();
