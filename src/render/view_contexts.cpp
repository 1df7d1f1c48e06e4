#include "render/view_contexts.h"

#include <GL/glx.h>

namespace {

// A context sharing objects with `main`, of the same frame-buffer configuration; null if the GL
// has none to give.
GLXContext createSharingContext(Display* display, GLXContext main) {
    int configId = 0;
    if (glXQueryContext(display, main, GLX_FBCONFIG_ID, &configId) != Success) return nullptr;
    const int attributes[] = {GLX_FBCONFIG_ID, configId, None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
    if (!configs) return nullptr;
    GLXContext context =
        count > 0 ? glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, main, True) : nullptr;
    XFree(configs);
    return context;
}

}  // namespace

void ViewContexts::adopt(ViewIndex view) {
    display_ = glXGetCurrentDisplay();
    drawables_[view] = glXGetCurrentDrawable();
    contexts_[view] = glXGetCurrentContext();
    shared_[view] = view == ViewMain;
    if (view == ViewMain || !display_ || !contexts_[ViewMain]) return;
    if (GLXContext sharing = createSharingContext(display_, contexts_[ViewMain])) {
        contexts_[view] = sharing;
        shared_[view] = true;
        switchTo(view);
    }
}

void ViewContexts::switchTo(ViewIndex view) {
    if (!contexts_[view]) return;
    if (glXGetCurrentContext() == contexts_[view] && glXGetCurrentDrawable() == drawables_[view]) {
        return;
    }
    glXMakeCurrent(display_, drawables_[view], contexts_[view]);
}

void ViewContexts::rebuildDrawing(ViewIndex view, Model& model) {
    // The old drawing's names go back to its share group before the new one asks for its own.
    bool group[3] = {};
    for (int v = 0; v < 3; ++v) {
        group[v] = v == view || (shared_[view] && shared_[v]);
        if (group[v]) drawings_[v].reset();
    }
    const auto built = std::make_shared<ModelDrawing>(model);
    for (int v = 0; v < 3; ++v) {
        if (group[v]) drawings_[v] = built;
    }
}

const ModelDrawing& ViewContexts::drawing(ViewIndex view) const {
    static const ModelDrawing none;
    return drawings_[view] ? *drawings_[view] : none;
}
