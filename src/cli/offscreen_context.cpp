#include "cli/offscreen_context.h"

#include <EGL/eglext.h>

#include <cstdio>

namespace {

std::string eglFailure(const char* what) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (EGL error 0x%x)", what,
                  static_cast<unsigned>(eglGetError()));
    return text;
}

EGLint configAttribute(EGLDisplay display, EGLConfig config, EGLint attribute) {
    EGLint value = 0;
    eglGetConfigAttrib(display, config, attribute, &value);
    return value;
}

// EGL sorts deeper colour first, so the 8-bit configurations with the alpha asked for are picked
// out by hand; among them the 24-bit depth buffer that the X server gives the windows is preferred.
EGLConfig chooseViewerLikeConfig(EGLDisplay display, EGLint alphaSize) {
    const EGLint wanted[] = {EGL_SURFACE_TYPE,
                             EGL_PBUFFER_BIT,
                             EGL_RENDERABLE_TYPE,
                             EGL_OPENGL_BIT,
                             EGL_RED_SIZE,
                             8,
                             EGL_GREEN_SIZE,
                             8,
                             EGL_BLUE_SIZE,
                             8,
                             EGL_DEPTH_SIZE,
                             16,
                             EGL_NONE};
    EGLConfig configs[128];
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, configs, 128, &count)) return nullptr;
    EGLConfig best = nullptr;
    int bestScore = -1;
    for (EGLint i = 0; i < count; ++i) {
        const EGLConfig c = configs[i];
        if (configAttribute(display, c, EGL_RED_SIZE) != 8 ||
            configAttribute(display, c, EGL_GREEN_SIZE) != 8 ||
            configAttribute(display, c, EGL_BLUE_SIZE) != 8 ||
            configAttribute(display, c, EGL_ALPHA_SIZE) != alphaSize) {
            continue;
        }
        const int score = configAttribute(display, c, EGL_DEPTH_SIZE) == 24 ? 1 : 0;
        if (score > bestScore) {
            best = c;
            bestScore = score;
        }
    }
    return best;
}

}  // namespace

OffscreenDisplay::~OffscreenDisplay() {
    if (display_ != EGL_NO_DISPLAY) eglTerminate(display_);
}

Result<> OffscreenDisplay::open(bool alphaPlanes) {
    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        return Result<>::failed(1, "EGL has no eglGetPlatformDisplayEXT");
    }
    display_ = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display_ == EGL_NO_DISPLAY) {
        return Result<>::failed(1, eglFailure("the surfaceless EGL display"));
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display_, &major, &minor)) {
        display_ = EGL_NO_DISPLAY;
        return Result<>::failed(1, eglFailure("eglInitialize"));
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        return Result<>::failed(1, eglFailure("eglBindAPI(EGL_OPENGL_API)"));
    }
    config_ = chooseViewerLikeConfig(display_, alphaPlanes ? 8 : 0);
    if (!config_) {
        return Result<>::failed(
            1, alphaPlanes ? "EGL offers no 8-bit RGBA configuration with depth"
                           : "EGL offers no 8-bit RGB configuration without alpha and with depth");
    }
    return {};
}

OffscreenContext::OffscreenContext(const OffscreenDisplay& display, int width, int height)
    : display_(display.display()) {
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    surface_ = eglCreatePbufferSurface(display_, display.config(), size);
    if (surface_ == EGL_NO_SURFACE) {
        error_ = eglFailure("eglCreatePbufferSurface");
        return;
    }
    context_ = eglCreateContext(display_, display.config(), EGL_NO_CONTEXT, nullptr);
    if (context_ == EGL_NO_CONTEXT) {
        error_ = eglFailure("eglCreateContext");
        return;
    }
    if (!eglMakeCurrent(display_, surface_, surface_, context_)) {
        error_ = eglFailure("eglMakeCurrent");
    }
}

OffscreenContext::~OffscreenContext() {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
    if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
}

Result<> OffscreenContext::ready() const {
    if (error_.empty()) return {};
    return Result<>::failed(1, error_);
}
