#pragma once

// The whole start-up of the viewer: model, windows, archive, menus, handlers, control panel,
// then GLUT's main loop. GLUT takes its own options out of argv; the first argument left is
// the archive, and without one the built-in demo model opens.
int runViewer(int& argc, char** argv);
