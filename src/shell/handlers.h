#pragma once

#include <cstdint>
#include <string>

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

// Loads the archive at path in place of the model shown; the model shown stays when the new
// one cannot be read or brings no bone and no texture (one line says so). True when replaced.
bool replaceModel(const char* path);

// The name the panel shows for the archive at path (nullptr: the demo model).
std::string modelNameOf(const char* path);

// Rewrites the two "Mouse mode" entries so that the star marks mode (rotation or translation).
void relabelMouseModeMenu(int mode);
