#include "shell/glut_platform.h"

#include <GL/freeglut.h>

#include <chrono>

#include "model/model.h"
#include "shell/file_dialog.h"
#include "shell/playback_dialog.h"
#include "shell/playback_input.h"
#include "shell/view_window.h"
#include "shell/viewer_state.h"

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
    enterCurrentView();
    glMatrixMode(GL_PROJECTION);
    glMultMatrixf(m.data());
    glMatrixMode(GL_MODELVIEW);
}

bool GlutPlatform::choosePoseFile(bool forSave, std::string& path) {
    return askForPoseFile(forSave, path);
}

bool GlutPlatform::chooseArchive(std::string& path) {
    return askForArchive(path);
}

int GlutPlatform::keyModifiers() {
    return glutGetModifiers();
}

// The new parts' lists and texture page replace the old ones in the views' contexts. The
// projections (and with them the zoom) stay as they are.
void GlutPlatform::showReplacedModel() {
    if (viewContexts) prepareViewObjects(*viewContexts, *theModel);
    if (rebuildPanel) rebuildPanel();
    glutSetWindow(mainWindow);
    glutPostRedisplay();
}

bool GlutPlatform::chooseExportFile(std::string& path) {
    return askForExportFile(path);
}

bool GlutPlatform::chooseFolder(const char* prompt, std::string& path) {
    return askForFolder(prompt, path);
}

bool GlutPlatform::choosePoseFiles(std::vector<std::string>& paths) {
    return askForPoseFiles(paths);
}

void GlutPlatform::startTimer(int milliseconds, int value) {
    glutTimerFunc(static_cast<unsigned>(milliseconds), onPlaybackTick, value);
}

double GlutPlatform::clockSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
