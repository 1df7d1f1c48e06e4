#include <GL/freeglut.h>
#include <GL/gl.h>

#include "model/model.h"
#include "render/views.h"

static_assert(kViewDisplayMode == (GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH));

void setViewClearColor(float alpha) {
    glClearColor(kViewClearColor[0], kViewClearColor[1], kViewClearColor[2], alpha);
}

void initViewWindowSystem(int& argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(kViewDisplayMode);
}

int createViewWindow(ViewIndex view) {
    const ViewWindowLayout& layout = kViewWindows[view];
    glutInitWindowSize(layout.width, layout.height);
    const int window = glutCreateWindow(layout.title);
    glutPositionWindow(layout.x, layout.y);
    return window;
}

void setUpViewContext(ViewIndex view) {
    setViewClearColor(1.0f);
    setupView(view);
}

ModelDrawing prepareView(ViewIndex view, Model& model) {
    setUpViewContext(view);
    return ModelDrawing(model);
}
