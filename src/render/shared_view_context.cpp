#include "render/shared_view_context.h"

#include <GL/gl.h>

namespace {

const GLenum kLights[2] = {GL_LIGHT0, GL_LIGHT1};

}  // namespace

SharedViewContext::SharedViewContext() {
    for (int v = 0; v < 3; ++v) {
        ViewState& state = views_[v];
        for (int i = 0; i < 16; ++i) state.projection[i] = state.modelview[i] = i % 5 == 0;
        state.viewport[0] = state.viewport[1] = 0;
        state.viewport[2] = kViewWindows[v].width;
        state.viewport[3] = kViewWindows[v].height;
        for (auto& position : state.lightPositions) {
            position[0] = position[1] = position[3] = 0;
            position[2] = 1;
        }
        for (float& channel : state.clearColor) channel = 0;
    }
}

void SharedViewContext::switchTo(ViewIndex view) {
    if (view == current_) return;
    if (current_ >= 0) readBack(views_[current_]);
    load(views_[view]);
    current_ = view;
}

// Matrices are read back and loaded as GL keeps them, single precision, so the next glOrtho or
// zoom step starts from exactly the numbers the view's own context would have held.
void SharedViewContext::readBack(ViewState& state) {
    glGetFloatv(GL_PROJECTION_MATRIX, state.projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, state.modelview);
    glGetIntegerv(GL_VIEWPORT, state.viewport);
    for (int i = 0; i < 2; ++i) glGetLightfv(kLights[i], GL_POSITION, state.lightPositions[i]);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, state.clearColor);
}

void SharedViewContext::load(const ViewState& state) {
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(state.projection);
    glMatrixMode(GL_MODELVIEW);
    // Light positions pass through the modelview matrix when set: identity keeps them as kept.
    glLoadIdentity();
    for (int i = 0; i < 2; ++i) glLightfv(kLights[i], GL_POSITION, state.lightPositions[i]);
    glLoadMatrixf(state.modelview);
    glViewport(state.viewport[0], state.viewport[1], state.viewport[2], state.viewport[3]);
    glClearColor(state.clearColor[0], state.clearColor[1], state.clearColor[2],
                 state.clearColor[3]);
}
