#include "shell/glut_platform.h"

#include <GL/freeglut.h>

#include "shell/file_dialog.h"

void GlutPlatform::setWindow(int window) {
    glutSetWindow(window);
}

void GlutPlatform::postRedisplay() {
    glutPostRedisplay();
}

void GlutPlatform::setMenu(int menu) {
    glutSetMenu(menu);
}

void GlutPlatform::changeToMenuEntry(int position, const char* label, int value) {
    glutChangeToMenuEntry(position, label, value);
}

void GlutPlatform::multiplyProjection(const Matrix4& m) {
    glMatrixMode(GL_PROJECTION);
    glMultMatrixf(m.data());
    glMatrixMode(GL_MODELVIEW);
}

bool GlutPlatform::choosePoseFile(bool forSave, std::string& path) {
    return askForPoseFile(forSave, path);
}

bool GlutPlatform::chooseExportFile(std::string& path) {
    return askForExportFile(path);
}
