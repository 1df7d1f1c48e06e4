#pragma once

#include <utility>

#include "render/shared_view_context.h"

// What each view's GLUT window carries as its window data.
struct ViewWindowData {
    ViewIndex view;
    SharedViewContext* context;     // the GL context the three views share
    std::pair<int, int> drawnSize;  // the window's size when it last drew
};

// Hands the shared GL context to the current window's view; its window data must be set.
void enterCurrentView();
