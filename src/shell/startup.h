#pragma once

#include <memory>

#include "shell/glui_lite.h"

// The viewer's start-up as named steps, each callable alone. runViewer calls them in this order:
//   createModel; initViewWindowSystem; createViewWindow main and side (render/views.h);
//   setUpViewContext side; loadModel (shell/model_loading.h); prepareWindow for the side view;
//   createViewWindow up and prepareView up; glutSetWindow main and prepareView main;
//   registerHandlers; buildPanel; then GLUT's main loop.

// theModel and the bone tree's root (bone id 0).
void createModel();
// The menus and every GLUT handler of the three views; mainWindow is current afterwards.
void registerHandlers();
// Builds the control panel from the loaded bones and opens its window. The caller keeps the
// panel for as long as its window lives.
std::unique_ptr<glui_lite::Window> buildPanel();

// The whole start-up, then GLUT's main loop. GLUT takes its own options out of argv; the first
// argument left is the archive, and without one the built-in demo model opens.
int runViewer(int& argc, char** argv);
