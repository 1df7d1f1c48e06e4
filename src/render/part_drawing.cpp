#include <GL/gl.h>

#include "model/part_mesh.h"
#include "render/display_lists.h"

void PartMesh::buildDisplayLists(int base) {
    listBase = base;
    // Both lists are compiled, even empty, so that every call made at draw time names a list.
    glNewList(static_cast<GLuint>(base), GL_COMPILE);
    for (const Polygon& polygon : polygons) polygon.drawIfUntextured();
    glEndList();
    glNewList(static_cast<GLuint>(base) + 1, GL_COMPILE);
    for (const Polygon& polygon : polygons) polygon.drawIfTextured();
    glEndList();
}

void PartMesh::drawUntextured() const {
    // The selected part shows its axes in its bone's frame, visible or not.
    if (selected) glCallList(static_cast<GLuint>(axesList()));
    if (visible && listBase >= 0) glCallList(static_cast<GLuint>(listBase));
}

void PartMesh::drawTextured() const {
    if (visible && listBase >= 0) glCallList(static_cast<GLuint>(listBase) + 1);
}
