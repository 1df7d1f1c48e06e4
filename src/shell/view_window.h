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

// Builds the model's lists and texture wherever the views need them: once in the main view's
// share group, and again in a view the GL kept out of it. The main window is current afterwards.
void prepareViewObjects(ViewContexts& contexts, const ViewerWindowIds& windows, Model& model);
