#pragma once

#include <memory>

#include "render/views.h"

class Model;
struct _XDisplay;
struct __GLXcontextRec;

// The viewer's three views draw in three GL contexts of one share group: the axes list and
// the texture page are built once, in any of them, while each view keeps its own projection
// (with its zoom), look-at, viewport, lights and clear colour in its own context. freeglut gives
// every window a context of its own and cannot make them share, so the side and up views draw
// in contexts made here that share the main window's; freeglut's own contexts of those two
// windows stay unused. (One context for all three windows would do too, but Mesa's software
// drivers then read the window back from the X server each time the context moves to another
// window: about 3 ms per view and frame.)
class ViewContexts {
  public:
    // With the view's newly created window current. The main view keeps the window's own
    // context; the others get a new one sharing the main view's objects, or keep their window's
    // own if the GL refuses that (see sharesObjects).
    void adopt(ViewIndex view);
    // Makes the view's context current on the view's window. Call after GLUT has made that
    // window current and before any GL work for the view.
    void switchTo(ViewIndex view);
    // Whether the view sees the lists and texture built in the main view's share group.
    bool sharesObjects(ViewIndex view) const { return shared_[view]; }

    // With the view's context current: the model's drawing built there in place of the one the
    // view drew from, which is freed first; the views that share objects with it draw from the
    // same new one.
    void rebuildDrawing(ViewIndex view, Model& model);
    // What the view draws the shown model from; an empty drawing before the first rebuild.
    const ModelDrawing& drawing(ViewIndex view) const;

  private:
    _XDisplay* display_ = nullptr;
    unsigned long drawables_[3] = {};
    __GLXcontextRec* contexts_[3] = {};
    bool shared_[3] = {};
    std::shared_ptr<ModelDrawing> drawings_[3];
};
