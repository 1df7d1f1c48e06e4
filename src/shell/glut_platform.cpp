#include "shell/glut_platform.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>

#include "model/model.h"
#include "render/pick_pass.h"
#include "render/picture.h"
#include "render/view_fitting.h"
#include "render/views.h"
#include "shell/file_dialog.h"
#include "shell/handlers.h"
#include "shell/playback_dialog.h"
#include "shell/view_window.h"
#include "shell/viewer_callbacks.h"
#include "shell/viewer_state.h"

namespace {

void onPlaybackTimer(int value) {
    onViewerTimer(callbackViewer(), ViewerTimer::Playback, value);
}

void onFollowLookTimer(int value) {
    onViewerTimer(callbackViewer(), ViewerTimer::FollowLook, value);
}

}  // namespace

GlutPlatform::GlutPlatform()
    : menuEdits_([](int menu, int position, const std::string& label, int value) {
          const int current = glutGetMenu();
          glutSetMenu(menu);
          glutChangeToMenuEntry(position, label.c_str(), value);
          if (current) glutSetMenu(current);
      }) {}

void GlutPlatform::onMenuStatus(int status, int /*x*/, int /*y*/) {
    callbackViewer().platform->setMenuInUse(status == GLUT_MENU_IN_USE);
}

void GlutPlatform::setMenuInUse(bool inUse) {
    menuEdits_.setMenuInUse(inUse);
}

void GlutPlatform::setWindow(int window) {
    glutSetWindow(window);
}

void GlutPlatform::postRedisplay() {
    glutPostRedisplay();
}

void GlutPlatform::setMenu(int menu) {
    currentMenu_ = menu;
    glutSetMenu(menu);
}

void GlutPlatform::changeToMenuEntry(int position, const char* label, int value) {
    menuEdits_.changeEntry(currentMenu_, position, label, value);
}

void GlutPlatform::multiplyProjection(const Matrix4& m) {
    enterCurrentView();
    glMatrixMode(GL_PROJECTION);
    glMultMatrixf(m.data());
    glMatrixMode(GL_MODELVIEW);
}

bool GlutPlatform::choosePoseFile(bool forSave, std::string& path) {
    return askForFile(forSave ? FileCommand::SaveMatrix : FileCommand::LoadMatrix, path);
}

bool GlutPlatform::chooseArchive(std::string& path) {
    return askForFile(FileCommand::OpenArchive, path);
}

int GlutPlatform::keyModifiers() {
    return glutGetModifiers();
}

// The new parts' lists and texture page replace the old ones in the views' contexts. The
// projections (and with them the zoom) stay as they are.
void GlutPlatform::showReplacedModel() {
    if (viewContexts) prepareViewObjects(*viewContexts, viewer->windows, viewer->model());
    if (rebuildPanel) rebuildPanel();
    glutSetWindow(viewer->windows.main);
    glutPostRedisplay();
}

bool GlutPlatform::chooseExportFile(std::string& path) {
    return askForFile(FileCommand::ExportGltf, path);
}

int32_t GlutPlatform::pickBone(int x, int y) {
    glutSetWindow(viewer->windows.main);
    enterCurrentView();
    return pickBoneAt(viewer->root(), currentViewDrawing(), x,
                      glutGet(GLUT_WINDOW_HEIGHT) - 1 - y);
}

void GlutPlatform::fitViews() {
    const ViewerWindowIds& windows = viewer->windows;
    for (int window : {windows.main, windows.side, windows.up}) {
        glutSetWindow(window);
        enterCurrentView();
        fitCurrentView(viewer->root(), glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    }
    glutSetWindow(windows.main);
    glutPostRedisplay();
}

// The projection a reshape to the window's present size gives, as at start-up.
void GlutPlatform::resetViewZoom() {
    const ViewerWindowIds& windows = viewer->windows;
    for (int window : {windows.main, windows.side, windows.up}) {
        glutSetWindow(window);
        enterCurrentView();
        applyViewSize(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    }
    glutSetWindow(windows.main);
    glutPostRedisplay();
}

bool GlutPlatform::choosePictureFile(std::string& path) {
    return askForFile(FileCommand::SavePicture, path);
}

// Each view drawn again into its window's back buffer, as its display does, and read back;
// a window the user made smaller than its place leaves the rest of the place in the clear
// colour, a larger one gives its top left part.
bool GlutPlatform::drawViewSheet(std::vector<uint8_t>& rgb, int& width, int& height) {
    const PictureDescription sheet = viewSheetPicture();
    rgb = blankPicture(sheet);
    const ViewerWindowIds& ids = viewer->windows;
    const int windows[3] = {ids.main, ids.side, ids.up};
    for (PlacedView placed : sheet.views) {
        glutSetWindow(windows[placed.view]);
        enterCurrentView();
        const int shownHeight = glutGet(GLUT_WINDOW_HEIGHT);
        placed.width = std::min(placed.width, glutGet(GLUT_WINDOW_WIDTH));
        placed.height = std::min(placed.height, shownHeight);
        renderFrame(viewer->model(), currentViewDrawing(), viewer->selectedBone);
        glFinish();
        readPlacedView(placed, shownHeight - placed.height, 3, sheet.width, rgb);
    }
    // The back buffers now hold what was read; the next display draws them again.
    glutSetWindow(ids.main);
    glutPostRedisplay();
    width = sheet.width;
    height = sheet.height;
    return true;
}

bool GlutPlatform::chooseFolder(const char* prompt, std::string& path) {
    return askForFolder(prompt, path);
}

bool GlutPlatform::choosePoseFiles(std::vector<std::string>& paths) {
    return askForPoseFiles(paths);
}

void GlutPlatform::startTimer(int milliseconds, ViewerTimer timer, int value) {
    glutTimerFunc(static_cast<unsigned>(milliseconds),
                  timer == ViewerTimer::Playback ? onPlaybackTimer : onFollowLookTimer, value);
}

double GlutPlatform::clockSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
