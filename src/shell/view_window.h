#pragma once

#include <utility>

#include "render/view_contexts.h"

class Model;
struct ViewerWindowIds;

// What each view's GLUT window carries as its window data.
struct ViewWindowData {
    ViewIndex view;
    ViewContexts* contexts;         // the views' GL contexts
    std::pair<int, int> drawnSize;  // the window's size when it last drew
};

// Makes the current window's view context current; its window data must be set.
void enterCurrentView();
// What the current window's view draws the shown model from; its window data must be set.
const ModelDrawing& currentViewDrawing();

// Builds the model's drawing wherever the views need it, in place of the last model's: once in
// the main view's share group, and again in a view the GL kept out of it. The main window is
// current afterwards.
void prepareViewObjects(ViewContexts& contexts, const ViewerWindowIds& windows, Model& model);
