#pragma once

#include <cstdint>

#include "render/model_drawing.h"

// The three views of the model, each set up once with setupView and drawn with drawFrame. The
// viewer's three windows draw in contexts of one share group (render/view_contexts.h); the
// off-screen render gives each view a context of its own.
enum ViewIndex { ViewMain = 0, ViewSide = 1, ViewUp = 2 };

class Model;

// Each view's window: title, size and place on the screen, in ViewIndex order.
struct ViewWindowLayout {
    const char* title;
    int width, height;
    int x, y;
};
inline constexpr ViewWindowLayout kViewWindows[3] = {{"Veldraxis Viewer", 320, 720, 0, 20},
                                                     {"Side view", 320, 720, 330, 20},
                                                     {"Up view", 320, 320, 660, 20}};

// The window mode of every view: RGBA, double-buffered, depth, no alpha planes (GLUT_RGBA |
// GLUT_DOUBLE | GLUT_DEPTH).
inline constexpr unsigned kViewDisplayMode = 18;

// The views' clear colour, red, green, blue.
inline constexpr float kViewClearColor[3] = {0.25f, 0.5f, 0.75f};
// glClearColor with the views' colour in the current context. Start-up sets alpha 1; each frame
// sets alpha 0 for the clears after it (see renderFrame).
void setViewClearColor(float alpha);

// Start-up steps of the views, each callable alone.
// glutInit (which takes GLUT's own options out of argv), then the views' window mode.
void initViewWindowSystem(int& argc, char** argv);
// Creates the view's window with its title, size and place; it is current afterwards.
int createViewWindow(ViewIndex view);
// In the current window: the clear colour (alpha 1), then setupView.
void setUpViewContext(ViewIndex view);
// setUpViewContext, then the model's drawing in the current window's share group: the window
// can draw the model from it.
ModelDrawing prepareView(ViewIndex view, Model& model);

// Lights, depth test, the view's projection (multiplied onto the current one) and look-at, and
// front-face culling in the current window. Lighting itself stays off.
void setupView(ViewIndex view);

// GLUT reshape handler: one eye-space unit per pixel, origin at the window centre.
void reshapeView(int width, int height);
// What reshapeView sets in the current context, without asking GLUT for a redisplay: the
// viewport and projection of a view of this size (off-screen views use it).
void applyViewSize(int width, int height);

// A view's display: the frame (below), then flush and swap.
void drawFrame(Model& model, const ModelDrawing& drawing, int32_t selectedBone);

// What a frame may leave out; the viewer's windows draw everything.
struct FrameOptions {
    bool axes = true;  // the world axes and the chosen bone's axes
};

// The frame without the flush and swap: marks the part of selectedBone (0 the whole model, i the
// i-th entry of the bone index list), clears, draws the untextured pass, the world axes and the
// textured pass into the current window's back buffer, from the model's drawing in the current
// context's share group.
void renderFrame(Model& model, const ModelDrawing& drawing, int32_t selectedBone,
                 const FrameOptions& options = {});
