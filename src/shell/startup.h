#pragma once

#include <memory>
#include <utility>

#include "shell/glui_lite.h"
#include "shell/glut_platform.h"
#include "shell/panel_window.h"

// The viewer's start-up as named steps, each callable alone. runViewer calls them in this order:
//   createModel; initViewWindowSystem; createViewWindow main and side (render/views.h);
//   setUpViewContext side; loadModel (shell/model_loading.h), which the "Reset pose" remembers;
//   prepareWindow for the side view;
//   createViewWindow up and prepareView up; glutSetWindow main and prepareView main;
//   registerHandlers; buildPanel; then GLUT's main loop.

// What the viewer's windows keep while they live; runViewer holds it for the whole run.
struct ViewerWindows {
    GlutPlatform platform;  // the handlers' window-system calls
    // Each view's size when it last drew, in ViewIndex order; the view's GLUT window data.
    std::pair<int, int> drawnSizes[3] = {};
    std::unique_ptr<glui_lite::Window> panel;
    std::unique_ptr<PanelWindow> panelWindow;
};

// theModel and the bone tree's root (bone id 0).
void createModel();
// The menus and every GLUT handler of the three views; mainWindow is current afterwards.
void registerHandlers(ViewerWindows& windows);
// Builds the control panel from the loaded bones and opens its window.
void buildPanel(ViewerWindows& windows);

// The whole start-up, then GLUT's main loop. GLUT takes its own options out of argv; the first
// argument left is the archive, and without one the built-in demo model opens.
int runViewer(int& argc, char** argv);
