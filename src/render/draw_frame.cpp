#include <GL/gl.h>
#include <GL/glut.h>

#include "model/bone_node.h"
#include "model/model.h"
#include "render/model_drawing.h"
#include "render/tree_drawing.h"
#include "render/views.h"

namespace {

// The bone id whose part carries the axes: 0 for the whole model, else the chosen entry of
// the bone index list plus one. A selection outside the list marks no part.
int32_t boneIdToMark(const std::vector<int32_t>& boneIndexList, int32_t selectedBone) {
    if (selectedBone == 0) return 0;
    if (selectedBone < 0 || static_cast<size_t>(selectedBone) > boneIndexList.size()) return -1;
    return boneIndexList[static_cast<size_t>(selectedBone) - 1] + 1;
}

// The untextured pass multiplies each fragment by the destination alpha, which reads as 1 in a
// window without alpha planes. Where the platform grants alpha planes anyway, the clear leaves
// alpha 0 there, so the pass writes the source unchanged instead: the same picture.
void setUntexturedBlend() {
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    if (alphaBits > 0) {
        glBlendFunc(GL_ONE, GL_ZERO);
    } else {
        glBlendFunc(GL_DST_ALPHA, GL_ZERO);
    }
}

}  // namespace

void renderFrame(Model& model, const ModelDrawing& drawing, int32_t selectedBone,
                 const FrameOptions& options) {
    BoneNode& root = *model.rootNode();
    // Without axes no part is marked, so none draws its own.
    root.selectBone(options.axes ? boneIdToMark(model.boneIndexList(), selectedBone) : -1);

    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setViewClearColor(0.0f);  // from the next clear on

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    setUntexturedBlend();
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    drawUntexturedTree(root, drawing);
    if (options.axes && drawing.axesList() != 0) glCallList(drawing.axesList());  // world axes

    // Texels of palette index 0 have alpha 0 and leave what lies behind them visible.
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_FLAT);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, drawing.pageTexture());
    glEnable(GL_TEXTURE_2D);
    drawTexturedTree(root, drawing);
}

void drawFrame(Model& model, const ModelDrawing& drawing, int32_t selectedBone) {
    renderFrame(model, drawing, selectedBone);
    glFlush();
    glutSwapBuffers();
}
