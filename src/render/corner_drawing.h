#pragma once

// The GL calls that draw one polygon corner, shared by a lone Polygon and the part lists.

#include "model/vec.h"

// The polygon's face normal as GL is given it: a zero or non-finite one (corners far beyond
// the model's 16-bit range) becomes +Z, which GL can always normalize. Lighting is off, so this
// never changes a colour.
Vec3 drawableFaceNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2);

// Material and colour from the corner's colour; with a texture coordinate (the textured list)
// that coordinate and a white material; then the vertex.
void drawCorner(const Vec3& position, const Color3& color, const Vec3* texCoord);
