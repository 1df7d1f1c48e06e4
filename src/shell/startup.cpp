#include "shell/startup.h"

#include <GL/freeglut.h>

#include <cstdlib>

#include "console/console.h"
#include "model/model.h"
#include "render/views.h"
#include "shell/archive_following.h"
#include "shell/archive_opening.h"
#include "shell/control_panel.h"
#include "shell/file_watch.h"
#include "shell/handlers.h"
#include "shell/model_replacement.h"
#include "shell/viewer_callbacks.h"
#include "shell/viewer_state.h"

namespace {

// Mesa's software rasteriser can draw the first frame after a resize into a buffer of the old
// size, which leaves the newly exposed rows unpainted; one more frame at the new size repairs
// them. Called by a display handler, for its own window.
void redrawOnceMoreAfterResize() {
    auto& drawn = static_cast<ViewWindowData*>(glutGetWindowData())->drawnSize;
    const std::pair<int, int> size{glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT)};
    if (drawn != size) {
        drawn = size;
        glutPostRedisplay();
    }
}

// The side and up views only draw.
void displayView() {
    enterCurrentView();
    ViewerState& viewer = callbackViewer();
    drawFrame(viewer.model(), currentViewDrawing(), viewer.selectedBone);
    redrawOnceMoreAfterResize();
}

// Redraws the main view, then has the other two follow.
void displayMainWindow() {
    enterCurrentView();
    ViewerState& viewer = callbackViewer();
    drawFrame(viewer.model(), currentViewDrawing(), viewer.selectedBone);
    redrawOnceMoreAfterResize();
    glutSetWindow(viewer.windows.side);
    glutPostRedisplay();
    glutSetWindow(viewer.windows.up);
    glutPostRedisplay();
}

void reshapeViewWindow(int width, int height) {
    enterCurrentView();
    reshapeView(width, height);
}

void onMenuEntry(int value) {
    onMenu(callbackViewer(), value);
}

void onKey(unsigned char key, int x, int y) {
    onKeyboard(callbackViewer(), key, x, y);
}

void onButton(int button, int state, int x, int y) {
    onMouseButton(callbackViewer(), button, state, x, y);
}

void onDrag(int x, int y) {
    onMotion(callbackViewer(), x, y);
}

void onSpecial(int key, int x, int y) {
    onSpecialKey(callbackViewer(), key, x, y);
}

void buildMenus(ViewerState& viewer) {
    viewer.windows.mouseModeMenu = glutCreateMenu(onMenuEntry);
    glutAddMenuEntry("*Rotation", kMenuRotation);
    glutAddMenuEntry(" Translation", kMenuTranslation);
    glutCreateMenu(onMenuEntry);
    glutAddSubMenu("Mouse mode", viewer.windows.mouseModeMenu);
    for (const MenuEntry& entry : kTopMenuEntries) glutAddMenuEntry(entry.label, entry.value);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

void quitViewer(int status) {
    std::exit(status);
}

}  // namespace

void showStartArchive(ViewerState& viewer, const char* argument) {
    OpenedArchive opened = openArchive(argument);
    for (const std::string& line : opened.lines) consolePrintf("%s", line.c_str());
    // A file that cannot be read leaves the empty model shown, under the name it was given.
    showDocument(viewer,
                 opened.document.ok() ? std::move(opened.document).value() : emptyDocument());
    viewer.shownModelName = modelNameOf(opened.shown.c_str());
    viewer.shownArchivePath = opened.shown;
    if (opened.demo) setAllPartsVisible(viewer, 1);
}

void registerHandlers(ViewerState& viewer, ViewerWindows& windows) {
    setCallbackViewer(&viewer);
    viewer.platform = &windows.platform;
    windows.platform.viewer = &viewer;
    const ViewerWindowIds& ids = viewer.windows;
    glutSetWindow(ids.main);
    glutKeyboardFunc(onKey);
    buildMenus(viewer);
    glutMouseFunc(onButton);
    glutMotionFunc(onDrag);
    glutSpecialFunc(onSpecial);
    glutMenuStatusFunc(GlutPlatform::onMenuStatus);

    glutSetWindow(ids.main);
    glutDisplayFunc(displayMainWindow);
    glutReshapeFunc(reshapeViewWindow);
    glutSetWindowData(&windows.views[ViewMain]);
    glutSetWindow(ids.side);
    glutDisplayFunc(displayView);
    glutReshapeFunc(reshapeViewWindow);
    glutSetWindowData(&windows.views[ViewSide]);
    glutSetWindow(ids.up);
    glutDisplayFunc(displayView);
    glutReshapeFunc(reshapeViewWindow);
    glutSetWindowData(&windows.views[ViewUp]);
    glutSetWindow(ids.main);
}

void buildPanel(ViewerState& viewer, ViewerWindows& windows) {
    windows.panel = buildControlPanel(viewer, quitViewer);
    windows.panelWindow = std::make_unique<PanelWindow>(*windows.panel);
    windows.platform.rebuildPanel = [&viewer, &windows] {
        windows.panel = buildControlPanel(viewer, quitViewer);
        windows.panelWindow->show(*windows.panel);
    };
}

int runViewer(int& argc, char** argv) {
    ViewerState viewer;
    initViewWindowSystem(argc, argv);
    const char* archivePath = argc > 1 ? argv[1] : nullptr;  // GLUT has taken its own options
    ViewerWindows windows;
    ViewContexts& contexts = windows.viewContexts;
    ViewerWindowIds& ids = viewer.windows;

    ids.main = createViewWindow(ViewMain);
    contexts.adopt(ViewMain);
    ids.side = createViewWindow(ViewSide);
    contexts.adopt(ViewSide);
    // The side view is current while the archive loads.
    setUpViewContext(ViewSide);
    showStartArchive(viewer, archivePath);
    ids.up = createViewWindow(ViewUp);
    contexts.adopt(ViewUp);
    setUpViewContext(ViewUp);
    glutSetWindow(ids.main);
    contexts.switchTo(ViewMain);
    setUpViewContext(ViewMain);
    prepareViewObjects(contexts, ids, viewer.model());

    windows.platform.viewContexts = &contexts;
    registerHandlers(viewer, windows);
    buildPanel(viewer, windows);
    viewer.following.watch = makeFileWatch();
    const std::string followLine = followShownArchive(viewer);
    if (!followLine.empty()) consolePrintf("%s", followLine.c_str());

    glutMainLoop();

    setCallbackViewer(nullptr);
    return 0;
}
