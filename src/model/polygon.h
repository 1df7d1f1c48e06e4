#pragma once

#include <boost/container/small_vector.hpp>

#include "model/vec.h"

// One drawable polygon on its own, with its own corner lists (four corners inline). A mesh
// keeps its polygons in flat arrays instead (PartMesh) and hands out PolygonViews of them.
class Polygon {
  public:
    template <typename T>
    using CornerList = boost::container::small_vector<T, 4>;

    CornerList<Vec3> positions;
    CornerList<Color3> colors;
    CornerList<Vec3> texCoords;  // (u, v, 0); empty for an untextured polygon

    void pushColoredVertex(const Vec3& position, const Color3& color);
    // Textured corners are white so that the texel shows unchanged under GL_MODULATE.
    void pushTexturedVertex(const Vec3& position, const Vec3& texCoord);
    bool isTextured() const { return !texCoords.empty() && texCoords.size() == positions.size(); }

};

// The normal that the polygon is drawn with: the cross product of (p0 - p1) and (p1 - p2)
// divided by its squared length. GL_NORMALIZE makes only its direction matter.
Vec3 computeFaceNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2);
