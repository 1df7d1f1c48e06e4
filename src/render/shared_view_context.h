#pragma once

#include "render/views.h"

// The three views draw through one GL context, so that the display lists and the texture are
// built and kept once. What a context of each view's own would keep for that view alone (the
// projection with every zoom step multiplied in, the look-at, the viewport, the light positions
// and the clear colour) is kept here instead: the context goes from view to view through
// switchTo. All other state (lists, texture, enables, blending) is the same for every view.
class SharedViewContext {
  public:
    SharedViewContext();

    // Call before any GL work for the view, with its window current. The state of the view that
    // had the context is read back and kept, then the view's own is loaded; a view's first turn
    // finds what a fresh context of its window's size would hold.
    void switchTo(ViewIndex view);

  private:
    struct ViewState {
        float projection[16];
        float modelview[16];
        int viewport[4];
        float lightPositions[2][4];  // eye coordinates, as GL keeps them
        float clearColor[4];
    };
    static void readBack(ViewState& state);
    static void load(const ViewState& state);

    ViewState views_[3];
    int current_ = -1;  // the view whose state the context holds; -1 before the first turn
};
