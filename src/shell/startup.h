#pragma once

// The whole start-up of the viewer: model, windows, archive, menus, handlers, control panel,
// then GLUT's main loop. archivePath null opens the built-in demo model.
int runViewer(int& argc, char** argv);
