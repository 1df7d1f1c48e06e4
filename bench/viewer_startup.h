#pragma once

// The viewer's start-up, timed step by step: two windows, the textures and the skeleton, each
// window's set-up and prepareWindow (side, up, main), then GLUT's events until each of the
// three windows has drawn its first frame through the viewer's display handlers.

class Model;

// The three viewing windows, in ViewIndex order (main, side, up).
extern int viewWindows[3];

struct StartupTimes {
    double windowsMs = 0;      // from the process start: glutInit and the first two windows
    double texturesMs = 0;     // loadTextures
    double skeletonMs = 0;     // loadSkeleton
    double prepareMs[3] = {};  // prepareWindow per window, in ViewIndex order
    double beforeLoopMs = 0;   // from the process start, when the events begin
    double firstFrameMs = 0;   // from the process start, when all three have drawn
};

// Every part is made visible before the first frame (the viewer starts with all hidden).
StartupTimes startThreeViews(Model& model, const char* archive, int& argc, char** argv);
