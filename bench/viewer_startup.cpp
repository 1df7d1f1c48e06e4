#include "viewer_startup.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cstdio>

#include "archive/archive.h"
#include "console/console.h"
#include "document/document.h"
#include "frame_timing.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "render/views.h"

int viewWindows[3] = {0, 0, 0};
ViewContexts viewContexts;
ModelDrawing shownDrawing;

namespace {

const Clock::time_point processStart = Clock::now();
bool drawn[3] = {false, false, false};
double firstFrameMs = 0.0;

void markDrawn(int view) {
    glFinish();
    drawn[view] = true;
    if (drawn[0] && drawn[1] && drawn[2] && firstFrameMs == 0.0) {
        firstFrameMs = msSince(processStart);
    }
}

// The display handlers: the main window draws and asks the other two to follow.
// The model the windows show.
Model* shownModel = nullptr;

void displayMain() {
    viewContexts.switchTo(ViewMain);
    drawFrame(*shownModel, shownDrawing, 0);
    markDrawn(0);
    glutSetWindow(viewWindows[1]);
    glutPostRedisplay();
    glutSetWindow(viewWindows[2]);
    glutPostRedisplay();
}
void displaySide() {
    viewContexts.switchTo(ViewSide);
    drawFrame(*shownModel, shownDrawing, 0);
    markDrawn(1);
}
void displayUp() {
    viewContexts.switchTo(ViewUp);
    drawFrame(*shownModel, shownDrawing, 0);
    markDrawn(2);
}

template <ViewIndex view>
void reshape(int width, int height) {
    viewContexts.switchTo(view);
    reshapeView(width, height);
}

double setUp(ViewIndex view) {
    const auto t = Clock::now();
    viewContexts.switchTo(view);
    setUpViewContext(view);
    return msSince(t);
}

}  // namespace

StartupTimes startThreeViews(Model& model, const char* archive, int& argc, char** argv) {
    StartupTimes times;
    initViewWindowSystem(argc, argv);
    viewWindows[ViewMain] = createViewWindow(ViewMain);
    viewContexts.adopt(ViewMain);
    viewWindows[ViewSide] = createViewWindow(ViewSide);
    viewContexts.adopt(ViewSide);
    times.windowsMs = msSince(processStart);

    // The side view is current while the archive loads, as in the viewer.
    times.setUpMs[ViewSide] = setUp(ViewSide);
    shownModel = &model;
    // Loaded as the viewer loads it, printing the lines it prints.
    Result<Document> loaded = loadDocument(Source::file(archive), UnreadLines::Loaders);
    if (loaded.ok()) {
        std::vector<std::string> lines = textureLoaderLines(loaded->archive);
        for (std::string& line : skeletonLoaderLines(loaded->archive)) lines.push_back(line);
        for (const std::string& line : lines) consolePrintf("%s", line.c_str());
        times.texturesMs = loaded->texturesMs;
        times.skeletonMs = loaded->skeletonMs;
        model = std::move(*loaded->model);
    } else {
        consolePrintf("%s", loaded.message.c_str());
    }
    for (PartMesh* mesh : model.partList()) mesh->setVisible(1);
    const auto t = Clock::now();
    shownDrawing = ModelDrawing(model);
    times.prepareMs = msSince(t);

    viewWindows[ViewUp] = createViewWindow(ViewUp);
    viewContexts.adopt(ViewUp);
    if (!viewContexts.sharesObjects(ViewSide) || !viewContexts.sharesObjects(ViewUp)) {
        std::fprintf(stderr, "the GL gave no contexts sharing objects: the views cannot draw\n");
    }
    times.setUpMs[ViewUp] = setUp(ViewUp);
    glutSetWindow(viewWindows[ViewMain]);
    times.setUpMs[ViewMain] = setUp(ViewMain);

    void (*const display[3])() = {displayMain, displaySide, displayUp};
    void (*const reshapes[3])(int, int) = {reshape<ViewMain>, reshape<ViewSide>, reshape<ViewUp>};
    for (int view = 2; view >= 0; --view) {
        glutSetWindow(viewWindows[view]);
        glutDisplayFunc(display[view]);
        glutReshapeFunc(reshapes[view]);
    }
    times.beforeLoopMs = msSince(processStart);
    while (!(drawn[0] && drawn[1] && drawn[2]) && msSince(processStart) < 120000.0) {
        glutMainLoopEvent();
    }
    times.firstFrameMs = firstFrameMs;
    return times;
}
