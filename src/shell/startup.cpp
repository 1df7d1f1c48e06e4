#include "shell/startup.h"

#include <GL/freeglut.h>

#include <cstdlib>

#include "model/model.h"
#include "render/views.h"
#include "shell/archive_following.h"
#include "shell/archive_opening.h"
#include "shell/control_panel.h"
#include "shell/file_watch.h"
#include "shell/handlers.h"
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
    drawFrame(*theModel, currentViewDrawing(), selectedBone);
    redrawOnceMoreAfterResize();
}

// Redraws the main view, then has the other two follow.
void displayMainWindow() {
    enterCurrentView();
    drawFrame(*theModel, currentViewDrawing(), selectedBone);
    redrawOnceMoreAfterResize();
    glutSetWindow(sideWindow);
    glutPostRedisplay();
    glutSetWindow(upWindow);
    glutPostRedisplay();
}

void reshapeViewWindow(int width, int height) {
    enterCurrentView();
    reshapeView(width, height);
}

void buildMenus() {
    mouseModeMenu = glutCreateMenu(onMenu);
    glutAddMenuEntry("*Rotation", kMenuRotation);
    glutAddMenuEntry(" Translation", kMenuTranslation);
    glutCreateMenu(onMenu);
    glutAddSubMenu("Mouse mode", mouseModeMenu);
    for (const MenuEntry& entry : kTopMenuEntries) glutAddMenuEntry(entry.label, entry.value);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

void quitViewer(int status) {
    std::exit(status);
}

}  // namespace

void createModel() {
    showModel(std::make_unique<Model>());
}

void registerHandlers(ViewerWindows& windows) {
    shellPlatform = &windows.platform;
    glutSetWindow(mainWindow);
    glutKeyboardFunc(onKeyboard);
    buildMenus();
    glutMouseFunc(onMouseButton);
    glutMotionFunc(onMotion);
    glutSpecialFunc(onSpecialKey);
    glutMenuStatusFunc(GlutPlatform::onMenuStatus);

    glutSetWindow(mainWindow);
    glutDisplayFunc(displayMainWindow);
    glutReshapeFunc(reshapeViewWindow);
    glutSetWindowData(&windows.views[ViewMain]);
    glutSetWindow(sideWindow);
    glutDisplayFunc(displayView);
    glutReshapeFunc(reshapeViewWindow);
    glutSetWindowData(&windows.views[ViewSide]);
    glutSetWindow(upWindow);
    glutDisplayFunc(displayView);
    glutReshapeFunc(reshapeViewWindow);
    glutSetWindowData(&windows.views[ViewUp]);
    glutSetWindow(mainWindow);
}

void buildPanel(ViewerWindows& windows) {
    windows.panel = buildControlPanel(quitViewer);
    windows.panelWindow = std::make_unique<PanelWindow>(*windows.panel);
    windows.platform.rebuildPanel = [&windows] {
        windows.panel = buildControlPanel(quitViewer);
        windows.panelWindow->show(*windows.panel);
    };
}

int runViewer(int& argc, char** argv) {
    createModel();
    initViewWindowSystem(argc, argv);
    const char* archivePath = argc > 1 ? argv[1] : nullptr;  // GLUT has taken its own options
    ViewerWindows windows;
    ViewContexts& contexts = windows.viewContexts;

    mainWindow = createViewWindow(ViewMain);
    contexts.adopt(ViewMain);
    sideWindow = createViewWindow(ViewSide);
    contexts.adopt(ViewSide);
    // The side view is current while the archive loads.
    setUpViewContext(ViewSide);
    LoadedModel loaded;
    std::string shown;
    showModel(loadArchiveModel(archivePath, loaded, shown));
    shownModelName = modelNameOf(shown.c_str());
    shownArchivePath = shown;
    // A first look at the demo model shows all of it; an archive opens with its parts hidden.
    if (loaded.demo) setAllPartsVisible(1);
    upWindow = createViewWindow(ViewUp);
    contexts.adopt(ViewUp);
    setUpViewContext(ViewUp);
    glutSetWindow(mainWindow);
    contexts.switchTo(ViewMain);
    setUpViewContext(ViewMain);
    prepareViewObjects(contexts, *theModel);

    windows.platform.viewContexts = &contexts;
    registerHandlers(windows);
    buildPanel(windows);
    startFollowing(makeInotifyWatch());

    glutMainLoop();

    showModel(nullptr);
    return 0;
}
