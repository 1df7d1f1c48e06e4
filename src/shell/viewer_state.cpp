#include "shell/viewer_state.h"

#include <utility>

#include "model/model.h"

ViewerState::ViewerState() : document(emptyDocument()) {}

Document emptyDocument() {
    Document document;
    document.model = std::make_unique<Model>();
    return document;
}

void showDocument(ViewerState& viewer, Document document) {
    viewer.document = std::move(document);
    viewer.selectedBone = 0;
}
