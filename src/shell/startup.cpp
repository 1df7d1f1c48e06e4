#include "shell/startup.h"

#include <GL/freeglut.h>

#include <cstdlib>
#include <map>

#include "model/model.h"
#include "model/model_state.h"
#include "render/views.h"
#include "shell/control_panel.h"
#include "shell/glut_platform.h"
#include "shell/handlers.h"
#include "shell/model_loading.h"
#include "shell/panel_window.h"
#include "shell/viewer_state.h"

namespace {

// Mesa's software rasteriser can draw the first frame after a resize into a buffer of the old
// size, which leaves the newly exposed rows unpainted; one more frame at the new size repairs
// them. Called by a display handler, for its own window.
void redrawOnceMoreAfterResize() {
    static std::map<int, std::pair<int, int>> drawnSizes;
    const std::pair<int, int> size{glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT)};
    auto& drawn = drawnSizes[glutGetWindow()];
    if (drawn != size) {
        drawn = size;
        glutPostRedisplay();
    }
}

// The side and up views only draw.
void displayView() {
    drawFrame();
    redrawOnceMoreAfterResize();
}

// Redraws the main view, then has the other two follow.
void displayMainWindow() {
    drawFrame();
    redrawOnceMoreAfterResize();
    glutSetWindow(sideWindow);
    glutPostRedisplay();
    glutSetWindow(upWindow);
    glutPostRedisplay();
}

void buildMenus() {
    mouseModeMenu = glutCreateMenu(onMenu);
    glutAddMenuEntry("*Rotation", kMenuRotation);
    glutAddMenuEntry(" Translation", kMenuTranslation);
    glutCreateMenu(onMenu);
    glutAddSubMenu("Mouse mode", mouseModeMenu);
    glutAddMenuEntry("Init matrix", kMenuInitMatrix);
    glutAddMenuEntry("Load matrix", kMenuLoadMatrix);
    glutAddMenuEntry("Save matrix", kMenuSaveMatrix);
    glutAddMenuEntry("Export glTF", kMenuExportGltf);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

void quitViewer(int status) {
    std::exit(status);
}

}  // namespace

void createModel() {
    theModel = new Model();
    createRootNode();
}

void registerHandlers() {
    static GlutPlatform platform;
    shellPlatform = &platform;
    glutSetWindow(mainWindow);
    glutKeyboardFunc(onKeyboard);
    buildMenus();
    glutMouseFunc(onMouseButton);
    glutMotionFunc(onMotion);
    glutSpecialFunc(onSpecialKey);

    glutSetWindow(mainWindow);
    glutDisplayFunc(displayMainWindow);
    glutReshapeFunc(reshapeView);
    glutSetWindow(sideWindow);
    glutDisplayFunc(displayView);
    glutReshapeFunc(reshapeView);
    glutSetWindow(upWindow);
    glutDisplayFunc(displayView);
    glutReshapeFunc(reshapeView);
    glutSetWindow(mainWindow);
}

std::unique_ptr<glui_lite::Window> buildPanel() {
    std::unique_ptr<glui_lite::Window> panel = buildControlPanel(quitViewer);
    openPanelWindow(*panel);
    return panel;
}

int runViewer(int& argc, char** argv) {
    createModel();
    initViewWindowSystem(argc, argv);
    const char* archivePath = argc > 1 ? argv[1] : nullptr;  // GLUT has taken its own options

    mainWindow = createViewWindow(ViewMain);
    sideWindow = createViewWindow(ViewSide);
    // The side view is current while the archive loads; every window then builds its own
    // display lists and texture, since GLUT windows share no GL objects.
    setUpViewContext(ViewSide);
    loadModel(*theModel, archivePath);
    theModel->prepareWindow();
    upWindow = createViewWindow(ViewUp);
    prepareView(ViewUp, *theModel);
    glutSetWindow(mainWindow);
    prepareView(ViewMain, *theModel);

    registerHandlers();
    const std::unique_ptr<glui_lite::Window> panel = buildPanel();

    glutMainLoop();

    delete theModel;
    theModel = nullptr;
    return 0;
}
