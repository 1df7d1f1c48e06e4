#pragma once

#include "shell/glui_lite.h"

// Opens the GLUT window that shows panel: titled with its name, placed at its x and y, sized to
// its controls (scrolling when they do not fit the screen), drawn with Dear ImGui. Clicks in
// it reach the controls' click(); keys typed into it stay in it. Returns the window id.
int openPanelWindow(glui_lite::Window& panel);
