#pragma once

#include <array>
#include <string>

#include "io/result.h"
#include "model/matrix.h"

// Translation, rotation (unit quaternion x, y, z, w) and scale.
struct Trs {
    std::array<double, 3> translation{};
    std::array<double, 4> rotation{0, 0, 0, 1};
    std::array<double, 3> scale{1, 1, 1};
};

// Splits an affine matrix into translation · rotation · positive scale. Fails with why it cannot
// be split: a value that is not finite (1), a projective row (2), a zero scale (3), a shear (4) or
// a mirroring (5).
Result<> decomposeTrs(const Mat4d& m, Trs& out);

// translation · rotation · scale as a matrix; the rotation need not be of unit length.
Mat4d composeTrs(const Trs& trs);

// The spherical interpolation from a to b (u from 0 to 1) the short way round, as glTF
// animations turn.
std::array<double, 4> slerp(const std::array<double, 4>& a, std::array<double, 4> b, double u);
