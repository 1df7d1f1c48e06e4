#include "render/part_drawing.h"

#include <GL/gl.h>

#include "model/part_mesh.h"
#include "render/corner_drawing.h"
#include "render/model_drawing.h"

namespace {

// Each polygon goes into the part's one GL_TRIANGLES block as the fan (0, k, k + 1) that a
// GL_POLYGON of its corners is split into, with the same normal and the same calls per corner.
// Mesa keeps every GL_POLYGON of a display list a draw of its own but merges a run of triangles
// into one, which makes a frame of a large model about a third faster. The picture stays the
// same: the untextured pass shades smoothly, and the textured pass's flat shading takes a corner
// colour that is white on every textured corner, whichever corner GL takes it from.
void addPolygonFan(const PolygonView& polygon, bool textured) {
    const size_t corners = polygon.cornerCount();
    if (corners < 3) return;
    const Vec3 n =
        drawableFaceNormal(polygon.position(0), polygon.position(1), polygon.position(2));
    glNormal3f(n.x(), n.y(), n.z());
    for (size_t k = 1; k + 1 < corners; ++k) {
        for (size_t corner : {size_t{0}, k, k + 1}) {
            const Vec3 texCoord = textured ? polygon.texCoord(corner) : Vec3();
            drawCorner(polygon.position(corner), polygon.color(corner),
                       textured ? &texCoord : nullptr);
        }
    }
}

}  // namespace

// A polygon lands in the textured list when it has as many texture coordinates as corners. A
// list without a drawable polygon stays empty: Mesa compiles an empty glBegin/glEnd far more
// slowly than an empty list (a model of 100,000 bare bones took five times as long to start).
void compilePartList(unsigned list, const PartMesh& mesh, bool textured) {
    glNewList(list, GL_COMPILE);
    bool begun = false;
    for (size_t i = 0; i < mesh.polygonCount(); ++i) {
        const PolygonView polygon = mesh.polygon(i);
        if ((polygon.texCoordCount() == polygon.cornerCount()) != textured) continue;
        if (polygon.cornerCount() < 3) continue;
        if (!begun) glBegin(GL_TRIANGLES);
        begun = true;
        addPolygonFan(polygon, textured);
    }
    if (begun) glEnd();
    glEndList();
}

void drawUntextured(const PartMesh& mesh, const ModelDrawing& drawing) {
    // The selected part shows its axes in its bone's frame, visible or not.
    if (mesh.selected && drawing.axesList() != 0) glCallList(drawing.axesList());
    const GLuint list = drawing.untexturedList(mesh);
    if (mesh.visible && list != 0) glCallList(list);
}

void drawTextured(const PartMesh& mesh, const ModelDrawing& drawing) {
    const GLuint list = drawing.texturedList(mesh);
    if (mesh.visible && list != 0) glCallList(list);
}
