#include "shell/startup.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "demo_archive.h"
#include "model/model.h"
#include "model/model_state.h"
#include "render/views.h"
#include "shell/control_panel.h"
#include "shell/glut_platform.h"
#include "shell/handlers.h"
#include "shell/panel_window.h"
#include "shell/viewer_state.h"
#include "texture/texture_page.h"

namespace {

void setClearColor() {
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
}

// Textures first, then the skeleton; neither failure stops the other or the start-up.
void loadArchive(const char* path) {
    if (path) {
        theModel->loadTextures(path);
        theModel->loadSkeleton(path);
        return;
    }
    std::printf("No archive given: showing the built-in demo model\n");
    const uint8_t* data = demoArchiveData();
    const size_t size = demoArchiveSize();
    if (FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb")) {
        theModel->texturePage().scanArchive(file);
        std::fclose(file);
    }
    theModel->parseSkeleton(data, size);
}

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
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

void quitViewer(int status) {
    std::exit(status);
}

}  // namespace

int runViewer(int& argc, char** argv) {
    theModel = new Model();
    createRootNode();

    glutInit(&argc, argv);
    const char* archivePath = argc > 1 ? argv[1] : nullptr;  // GLUT has taken its own options
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);

    glutInitWindowSize(320, 720);
    mainWindow = glutCreateWindow("Veldraxis Viewer");
    glutPositionWindow(0, 20);
    sideWindow = glutCreateWindow("Side view");
    glutPositionWindow(330, 20);

    // The side view is current while the archive loads; every window then builds its own
    // display lists and texture, since GLUT windows share no GL objects.
    setClearColor();
    setupView(ViewSide);
    loadArchive(archivePath);
    theModel->prepareWindow();

    glutInitWindowSize(320, 320);
    upWindow = glutCreateWindow("Up view");
    glutPositionWindow(660, 20);
    setClearColor();
    setupView(ViewUp);
    theModel->prepareWindow();

    glutSetWindow(mainWindow);
    setClearColor();
    setupView(ViewMain);
    theModel->prepareWindow();

    static GlutPlatform platform;
    shellPlatform = &platform;
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

    static std::unique_ptr<glui_lite::Window> panel = buildControlPanel(quitViewer);
    openPanelWindow(*panel);

    glutMainLoop();

    delete theModel;
    theModel = nullptr;
    return 0;
}
