#include "shell/shared_context_exit.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

namespace {

constexpr int kGlxBadContext = 0;      // GLXBadContext, the first of GLX's error codes
constexpr int kGlxDestroyContext = 4;  // X_GLXDestroyContext, GLX's minor request code

int glxMajorOpcode = -1;
int glxErrorBase = -1;
XErrorHandler previousHandler = nullptr;

int ignoreRepeatedDestroy(Display* display, XErrorEvent* error) {
    if (error->request_code == glxMajorOpcode && error->minor_code == kGlxDestroyContext &&
        error->error_code == glxErrorBase + kGlxBadContext) {
        return 0;
    }
    return previousHandler ? previousHandler(display, error) : 0;
}

}  // namespace

void tolerateSharedContextTeardown() {
    Display* display = glXGetCurrentDisplay();
    int firstEvent = 0;
    if (!display || !XQueryExtension(display, "GLX", &glxMajorOpcode, &firstEvent, &glxErrorBase)) {
        return;
    }
    previousHandler = XSetErrorHandler(ignoreRepeatedDestroy);
}
