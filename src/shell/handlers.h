#pragma once

#include <cstdint>
#include <string>

#include "shell/model_takeover.h"

// Input handlers of the main window and the control panel. They change the viewer state and
// the bone matrices and talk to the window system only through shellPlatform.

// GLUT, main window.
void onMouseButton(int button, int state, int x, int y);
void onMotion(int x, int y);
void onKeyboard(unsigned char key, int x, int y);
void onSpecialKey(int key, int x, int y);
void onMenu(int value);

// Control panel callbacks, called with the control's id.
void onPartCheckbox(int id);
void onRootGroup(int id);
void onShowAll(int id);
void onHideAll(int id);
void onUndo(int id);
void onRedo(int id);

// Shows (1) or hides (0) every part and ticks or clears its check box.
void setAllPartsVisible(int32_t visible);

// Loads the archive at path in place of the model shown, taking over from it what how keeps
// (model_takeover.h): mouse mode and zoom always stay. The model shown stays, whole, when the
// new one is refused; then the reason is returned and the caller says so. The loaders' lines go
// to the console as they come. Every command that shows another model comes through here.
Refusal replaceModel(const char* path, Takeover how);

// The name the panel shows for the archive at path (nullptr: the demo model).
std::string modelNameOf(const char* path);

// Rewrites the two "Mouse mode" entries so that the star marks mode (rotation or translation).
void relabelMouseModeMenu(int mode);
