#pragma once

// The viewer's start-up, timed step by step: two windows whose contexts share their objects, the
// textures and the skeleton, the model's drawing built once, the views' set-up (side, up, main),
// then GLUT's events until each of the three windows has drawn its first frame through the viewer's
// display handlers.

#include "render/model_drawing.h"
#include "render/view_contexts.h"

class Model;

// The three viewing windows, in ViewIndex order (main, side, up), and their contexts: switch to
// a view's after making its window current.
extern int viewWindows[3];
extern ViewContexts viewContexts;
// The model's drawing in the views' one share group, which every window draws from.
extern ModelDrawing shownDrawing;

struct StartupTimes {
    double windowsMs = 0;     // from the process start: glutInit and the first two windows
    double texturesMs = 0;    // the archive parsed and its images decoded
    double skeletonMs = 0;    // the bone tree built
    double prepareMs = 0;     // the model's drawing: the lists and texture of the share group
    double setUpMs[3] = {};   // each view's set-up, in ViewIndex order
    double beforeLoopMs = 0;  // from the process start, when the events begin
    double firstFrameMs = 0;  // from the process start, when all three have drawn
};

// Every part is made visible before the first frame (the viewer starts with all hidden).
StartupTimes startThreeViews(Model& model, const char* archive, int& argc, char** argv);
