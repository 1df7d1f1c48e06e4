#pragma once

#include <EGL/egl.h>

#include <string>

#include "io/result.h"

// Off-screen OpenGL without a window system: Mesa's surfaceless EGL platform gives a
// compatibility-profile context (immediate mode, display lists) on a machine without X.
class OffscreenDisplay {
  public:
    OffscreenDisplay() = default;
    ~OffscreenDisplay();
    OffscreenDisplay(const OffscreenDisplay&) = delete;
    OffscreenDisplay& operator=(const OffscreenDisplay&) = delete;

    // Connects to the surfaceless platform and picks a configuration like the viewer's
    // windows: 8-bit RGB, no alpha planes, a depth buffer; with alphaPlanes, 8-bit alpha as
    // well, for transparent pictures. Fails with the reason.
    Result<> open(bool alphaPlanes = false);

    EGLDisplay display() const { return display_; }
    EGLConfig config() const { return config_; }

  private:
    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLConfig config_ = nullptr;
};

// A context drawing into a pbuffer, current for its lifetime.
class OffscreenContext {
  public:
    OffscreenContext(const OffscreenDisplay& display, int width, int height);
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    // Fails with the reason when the buffer or the context could not be made current.
    Result<> ready() const;

  private:
    EGLDisplay display_;
    EGLSurface surface_ = EGL_NO_SURFACE;
    EGLContext context_ = EGL_NO_CONTEXT;
    std::string error_;
};
