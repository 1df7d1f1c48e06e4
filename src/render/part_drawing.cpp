#include <GL/gl.h>

#include "model/part_mesh.h"
#include "render/corner_drawing.h"
#include "render/display_lists.h"

namespace {

// One polygon of the mesh, as Polygon::drawPolygon draws a lone one.
void drawMeshPolygon(const PolygonView& polygon, bool textured) {
    const size_t corners = polygon.cornerCount();
    if (corners < 3) return;
    glBegin(GL_POLYGON);
    const Vec3 n =
        drawableFaceNormal(polygon.position(0), polygon.position(1), polygon.position(2));
    glNormal3f(n.x(), n.y(), n.z());
    for (size_t k = 0; k < corners; ++k) {
        const Vec3 texCoord = textured ? polygon.texCoord(k) : Vec3();
        drawCorner(polygon.position(k), polygon.color(k), textured ? &texCoord : nullptr);
    }
    glEnd();
}

// A polygon lands in the textured list when it has as many texture coordinates as corners.
void compileList(GLuint list, const PartMesh& mesh, bool textured) {
    glNewList(list, GL_COMPILE);
    for (size_t i = 0; i < mesh.polygonCount(); ++i) {
        const PolygonView polygon = mesh.polygon(i);
        if ((polygon.texCoordCount() == polygon.cornerCount()) == textured) {
            drawMeshPolygon(polygon, textured);
        }
    }
    glEndList();
}

}  // namespace

void PartMesh::buildDisplayLists(int base) {
    listBase = base;
    // Both lists are compiled, even empty, so that every call made at draw time names a list.
    compileList(static_cast<GLuint>(base), *this, false);
    compileList(static_cast<GLuint>(base) + 1, *this, true);
}

void PartMesh::drawUntextured() const {
    // The selected part shows its axes in its bone's frame, visible or not.
    if (selected) glCallList(static_cast<GLuint>(axesList()));
    if (visible && listBase >= 0) glCallList(static_cast<GLuint>(listBase));
}

void PartMesh::drawTextured() const {
    if (visible && listBase >= 0) glCallList(static_cast<GLuint>(listBase) + 1);
}
