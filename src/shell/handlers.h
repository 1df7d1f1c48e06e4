#pragma once

#include <cstdint>

#include "shell/shell_platform.h"

struct ViewerState;

// Input handlers of the main window and the control panel. They change the viewer state they are
// given and the bone matrices, and talk to the window system only through its platform.

// Main window.
void onMouseButton(ViewerState& viewer, int button, int state, int x, int y);
void onMotion(ViewerState& viewer, int x, int y);
void onKeyboard(ViewerState& viewer, unsigned char key, int x, int y);
void onSpecialKey(ViewerState& viewer, int key, int x, int y);
void onMenu(ViewerState& viewer, int value);
// A timer asked for through the platform has run out.
void onViewerTimer(ViewerState& viewer, ViewerTimer timer, int value);

// Control panel callbacks, called with the control's id.
void onPartCheckbox(ViewerState& viewer, int id);
void onRootGroup(ViewerState& viewer, int id);
void onShowAll(ViewerState& viewer, int id);
void onHideAll(ViewerState& viewer, int id);
void onUndo(ViewerState& viewer, int id);
void onRedo(ViewerState& viewer, int id);

// Shows (1) or hides (0) every part and ticks or clears its check box.
void setAllPartsVisible(ViewerState& viewer, int32_t visible);

// Rewrites the two "Mouse mode" entries so that the star marks mode (rotation or translation).
void relabelMouseModeMenu(ViewerState& viewer, int mode);
