#include "render/part_drawing.h"

#include <GL/gl.h>

#include "model/part_mesh.h"
#include "render/model_drawing.h"

void drawUntextured(const PartMesh& mesh, const ModelDrawing& drawing) {
    // The selected part shows its axes in its bone's frame, visible or not.
    if (mesh.selected && drawing.axesList() != 0) glCallList(drawing.axesList());
    if (mesh.visible) drawing.drawUntexturedPart(mesh);
}

void drawTextured(const PartMesh& mesh, const ModelDrawing& drawing) {
    if (mesh.visible) drawing.drawTexturedPart(mesh);
}
