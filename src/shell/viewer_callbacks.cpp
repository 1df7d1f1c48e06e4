#include "shell/viewer_callbacks.h"

#include <cassert>

namespace {

ViewerState* shownViewer = nullptr;

}  // namespace

void setCallbackViewer(ViewerState* viewer) {
    shownViewer = viewer;
}

ViewerState& callbackViewer() {
    assert(shownViewer);
    return *shownViewer;
}
