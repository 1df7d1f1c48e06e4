#include "shell/view_window.h"

#include <GL/freeglut.h>

void enterCurrentView() {
    const auto& window = *static_cast<ViewWindowData*>(glutGetWindowData());
    window.context->switchTo(window.view);
}
