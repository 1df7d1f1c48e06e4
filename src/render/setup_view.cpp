#include <GL/gl.h>
#include <GL/glu.h>

#include "render/views.h"

namespace {

// The lights are configured although lighting is never switched on: what reaches the screen
// is the vertex colour (times the texel in the textured pass).
const GLfloat lightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
const GLfloat lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat lightSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
// Directional (w = 0), one per view.
const GLfloat light0Position[3][4] = {{10, 10, -500, 0}, {-500, 10, 10, 0}, {10, -500, 10, 0}};
const GLfloat light1Position[3][4] = {{410, 10, -500, 0}, {-500, 410, 10, 0}, {10, -500, 410, 0}};

struct ViewGeometry {
    GLdouble ortho[6];  // left, right, bottom, top, near, far
    GLdouble eye[3];
    GLdouble up[3];
};
// Left > right and bottom > top: the picture is turned a half turn about the viewing direction.
const ViewGeometry viewGeometry[3] = {
    {{160, -160, 360, -360, 1, 10000}, {0, 1000, 0}, {0, 0, 1}},    // main, from +Y
    {{160, -160, 360, -360, 1, 10000}, {1000, 0, 0}, {0, 0, 1}},    // side, from +X
    {{750, -750, 750, -750, 1, 10000}, {0, 0, -1000}, {0, 1, 0}}};  // up, from -Z

}  // namespace

void setupView(ViewIndex view) {
    const int v = (view >= ViewMain && view <= ViewUp) ? view : ViewMain;
    const ViewGeometry& g = viewGeometry[v];

    glEnable(GL_NORMALIZE);
    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
    glLightfv(GL_LIGHT0, GL_POSITION, light0Position[v]);
    glLightfv(GL_LIGHT1, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, light1Position[v]);
    glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 1.0f);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.5f);
    glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0.0f);
    glEnable(GL_DEPTH_TEST);

    // Multiplied onto the current matrices (identities in a fresh context); the first reshape
    // replaces the projection.
    glMatrixMode(GL_PROJECTION);
    glOrtho(g.ortho[0], g.ortho[1], g.ortho[2], g.ortho[3], g.ortho[4], g.ortho[5]);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(g.eye[0], g.eye[1], g.eye[2], 0, 0, 0, g.up[0], g.up[1], g.up[2]);

    // Counter-clockwise on screen is the front, and fronts are discarded.
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
}
