#pragma once

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

// Rewrites the two "Mouse mode" entries so that the star marks mode (rotation or translation).
void relabelMouseModeMenu(int mode);
