#include <GL/gl.h>

#include <cmath>

#include "model/polygon.h"

namespace {

// A normal GL can always normalize: a zero or non-finite one (corners far beyond the model's
// 16-bit range) is replaced by +Z. Lighting is off, so this never changes a colour.
Vec3 safeNormal(const Vec3& n) {
    const bool finite = std::isfinite(n.x()) && std::isfinite(n.y()) && std::isfinite(n.z());
    const bool zero = n.x() == 0.0f && n.y() == 0.0f && n.z() == 0.0f;
    return finite && !zero ? n : Vec3(0.0f, 0.0f, 1.0f);
}

}  // namespace

void Polygon::drawIfUntextured() const {
    if (texCoords.size() != positions.size()) drawPolygon(0);
}

void Polygon::drawIfTextured() const {
    if (texCoords.size() == positions.size()) drawPolygon(1);
}

void Polygon::drawPolygon(int mode) const {
    const bool textured = mode == 1;
    const size_t corners = positions.size();
    // A polygon needs three corners, a colour for each and, textured, a coordinate for each;
    // anything less is skipped rather than read past its lists.
    if (corners < 3 || colors.size() < corners || (textured && texCoords.size() < corners)) {
        return;
    }
    static const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};

    glBegin(GL_POLYGON);
    const Vec3 n = safeNormal(computeFaceNormal(positions[0], positions[1], positions[2]));
    glNormal3f(n.x(), n.y(), n.z());
    for (size_t i = 0; i < corners; ++i) {
        const Color3& c = colors[i];
        const GLfloat diffuse[4] = {c.red(), c.green(), c.blue(), 1.0f};
        glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
        glColor3f(c.red(), c.green(), c.blue());
        if (textured) {
            glTexCoord2f(texCoords[i].x(), texCoords[i].y());
            glMaterialfv(GL_FRONT, GL_DIFFUSE, white);
        }
        glVertex3f(positions[i].x(), positions[i].y(), positions[i].z());
    }
    glEnd();
}
