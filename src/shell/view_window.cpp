#include "shell/view_window.h"

#include <GL/freeglut.h>

#include "model/model.h"
#include "shell/viewer_state.h"

void enterCurrentView() {
    const auto& window = *static_cast<ViewWindowData*>(glutGetWindowData());
    window.contexts->switchTo(window.view);
}

const ModelDrawing& currentViewDrawing() {
    const auto& window = *static_cast<ViewWindowData*>(glutGetWindowData());
    return window.contexts->drawing(window.view);
}

void prepareViewObjects(ViewContexts& contexts, const ViewerWindowIds& ids, Model& model) {
    const int windows[3] = {ids.main, ids.side, ids.up};
    for (ViewIndex view : {ViewSide, ViewUp, ViewMain}) {
        if (view != ViewMain && contexts.sharesObjects(view)) continue;
        glutSetWindow(windows[view]);
        contexts.switchTo(view);
        contexts.rebuildDrawing(view, model);
    }
}
