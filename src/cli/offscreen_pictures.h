#pragma once

#include <memory>
#include <string>

#include "cli/offscreen_context.h"
#include "render/picture.h"

// The one off-screen context of a run, made once for its picture and reused for every archive
// and frame: a batch costs its drawing, not its set-up.
class OffscreenPictures {
  public:
    explicit OffscreenPictures(const PictureDescription& description);

    // Opens the display and makes the context current, with alpha planes for a transparent
    // background. Fails with the reason.
    Result<> open();
    PictureDrawing& drawing() { return drawing_; }

  private:
    PictureDescription description_;
    OffscreenDisplay display_;
    std::unique_ptr<OffscreenContext> context_;
    PictureDrawing drawing_;
};
