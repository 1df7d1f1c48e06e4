#include "render/polygon_drawing.h"

#include <GL/gl.h>

#include <tuple>

#include "model/polygon.h"
#include "render/corner_drawing.h"

void drawIfUntextured(const Polygon& polygon) {
    if (polygon.texCoords.size() != polygon.positions.size()) drawPolygon(polygon, 0);
}

void drawIfTextured(const Polygon& polygon) {
    if (polygon.texCoords.size() == polygon.positions.size()) drawPolygon(polygon, 1);
}

void drawPolygon(const Polygon& polygon, int mode) {
    const auto& [positions, colors, texCoords] =
        std::tie(polygon.positions, polygon.colors, polygon.texCoords);
    const bool textured = mode == 1;
    const size_t corners = positions.size();
    // A polygon needs three corners, a colour for each and, textured, a coordinate for each;
    // anything less is skipped rather than read past its lists.
    if (corners < 3 || colors.size() < corners || (textured && texCoords.size() < corners)) {
        return;
    }
    glBegin(GL_POLYGON);
    const Vec3 n = drawableFaceNormal(positions[0], positions[1], positions[2]);
    glNormal3f(n.x(), n.y(), n.z());
    for (size_t i = 0; i < corners; ++i) {
        drawCorner(positions[i], colors[i], textured ? &texCoords[i] : nullptr);
    }
    glEnd();
}
