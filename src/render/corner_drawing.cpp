#include "render/corner_drawing.h"

#include <GL/gl.h>

#include <cmath>

#include "model/polygon.h"

Vec3 drawableFaceNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    const Vec3 n = computeFaceNormal(p0, p1, p2);
    const bool finite = std::isfinite(n.x()) && std::isfinite(n.y()) && std::isfinite(n.z());
    const bool zero = n.x() == 0.0f && n.y() == 0.0f && n.z() == 0.0f;
    return finite && !zero ? n : Vec3(0.0f, 0.0f, 1.0f);
}

void drawCorner(const Vec3& position, const Color3& color, const Vec3* texCoord) {
    static const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat diffuse[4] = {color.red(), color.green(), color.blue(), 1.0f};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glColor3f(color.red(), color.green(), color.blue());
    if (texCoord) {
        glTexCoord2f(texCoord->x(), texCoord->y());
        glMaterialfv(GL_FRONT, GL_DIFFUSE, white);
    }
    glVertex3f(position.x(), position.y(), position.z());
}
