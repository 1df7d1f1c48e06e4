#pragma once

// The three views of the model. Each is a window with its own GL context, set up once with
// setupView and drawn with drawFrame.
enum ViewIndex { ViewMain = 0, ViewSide = 1, ViewUp = 2 };

// Lights, depth test, the view's projection (multiplied onto the current one) and look-at, and
// front-face culling in the current window. Lighting itself stays off.
void setupView(ViewIndex view);

// GLUT reshape handler: one eye-space unit per pixel, origin at the window centre.
void reshapeView(int width, int height);

// GLUT display handler: the frame (below), then flush and swap.
void drawFrame();

// The frame without the flush and swap: marks the selected part, clears, draws the untextured
// pass, the world axes and the textured pass into the current window's back buffer.
void renderFrame();
