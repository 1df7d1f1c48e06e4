#include "model/polygon.h"

void Polygon::pushColoredVertex(const Vec3& position, const Color3& color) {
    positions.push_back(position);
    colors.push_back(color);
}

void Polygon::pushTexturedVertex(const Vec3& position, const Vec3& texCoord) {
    positions.push_back(position);
    texCoords.push_back(texCoord);
    colors.push_back(Color3(1.0f, 1.0f, 1.0f));
}
