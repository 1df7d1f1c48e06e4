#pragma once

#include <memory>
#include <utility>

#include "shell/glui_lite.h"
#include "shell/glut_platform.h"
#include "shell/panel_window.h"
#include "shell/view_window.h"

// The viewer's start-up as named steps, each callable alone. runViewer calls them in this order:
//   initViewWindowSystem; createViewWindow main and side (render/views.h), each adopted by the
//   views' contexts (render/view_contexts.h); setUpViewContext side; showStartArchive, which
//   opens the archive (shell/archive_opening.h) whose pose "Reset pose" goes back to;
//   createViewWindow up, adopted, and setUpViewContext up; setUpViewContext main;
//   prepareViewObjects (shell/view_window.h), once for the share group; registerHandlers;
//   buildPanel; following the archive on disk (shell/archive_following.h); then GLUT's main
//   loop. Each view's GL work runs after its context has been made current.

struct ViewerState;

// What the viewer's windows keep while they live; runViewer holds it for the whole run.
struct ViewerWindows {
    GlutPlatform platform;  // the handlers' window-system calls
    ViewContexts viewContexts;
    // The views' GLUT window data, in ViewIndex order.
    ViewWindowData views[3] = {
        {ViewMain, &viewContexts, {}}, {ViewSide, &viewContexts, {}}, {ViewUp, &viewContexts, {}}};
    std::unique_ptr<glui_lite::Window> panel;
    std::unique_ptr<PanelWindow> panelWindow;
};

// Opens the archive argument (nullptr: the demo model) and shows it, printing its lines; a
// first look at the demo model shows all of it, an archive opens with its parts hidden.
void showStartArchive(ViewerState& viewer, const char* argument);
// The menus, every GLUT handler of the three views and their window data, all acting on viewer
// (the callbacks' one state); the main window is current afterwards.
void registerHandlers(ViewerState& viewer, ViewerWindows& windows);
// Builds the control panel from the loaded bones and opens its window.
void buildPanel(ViewerState& viewer, ViewerWindows& windows);

// The whole start-up, then GLUT's main loop. GLUT takes its own options out of argv; the first
// argument left is the archive, and without one the built-in demo model opens.
int runViewer(int& argc, char** argv);
