#include "model/polygon.h"

// Kept in its own object file: it is only pulled from the core library when nothing else in
// the link defines it.
Vec3 computeFaceNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    const float ax = p0.x() - p1.x(), ay = p0.y() - p1.y(), az = p0.z() - p1.z();
    const float bx = p1.x() - p2.x(), by = p1.y() - p2.y(), bz = p1.z() - p2.z();
    const float nx = ay * bz - az * by;
    const float ny = az * bx - ax * bz;
    const float nz = ax * by - ay * bx;
    const float s = nx * nx + ny * ny + nz * nz;
    // Collinear corners have no face direction; +Z keeps the normal finite for GL_NORMALIZE.
    if (s == 0.0f) return Vec3(0.0f, 0.0f, 1.0f);
    return Vec3(nx / s, ny / s, nz / s);
}
