#include <GL/gl.h>
#include <GL/glut.h>

#include "render/views.h"

void applyViewSize(int width, int height) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, width, height);
    // Integer halves, truncated towards zero: a width of 321 gives 160 and -160.
    const GLdouble halfWidth = width / 2;
    const GLdouble halfHeight = height / 2;
    glOrtho(halfWidth, -halfWidth, halfHeight, -halfHeight, 1, 10000);
    glMatrixMode(GL_MODELVIEW);
}

void reshapeView(int width, int height) {
    applyViewSize(width, height);
    glutPostRedisplay();
}
