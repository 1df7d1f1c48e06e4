#pragma once

#include <cstdint>
#include <vector>

#include "render/model_drawing.h"
#include "render/view_fitting.h"
#include "render/views.h"

class Model;

// What stands behind the model.
struct PictureBackground {
    enum Kind { ViewerClear, Colour, Transparent };
    Kind kind = ViewerClear;
    uint8_t rgb[3] = {0, 0, 0};  // for Colour
};

// One view in the picture, its top left corner at (x, y).
struct PlacedView {
    ViewIndex view;
    int x, y, width, height;
};

// A picture of a model: the views and where they stand, their zoom, what stands behind them,
// whether the axes show, and the turns of a turntable. The off-screen drawing takes nothing else.
struct PictureDescription {
    int width = 0, height = 0;
    std::vector<PlacedView> views;
    // Each view fitted to the shown parts as the viewer's f fits it; otherwise it keeps its
    // window's scale and centre.
    bool fit = false;
    PictureBackground background;
    bool axes = true;
    // 0 for a still picture; N for N frames, frame k turned by 360 k / N degrees.
    int turntableFrames = 0;

    int channels() const { return background.kind == PictureBackground::Transparent ? 4 : 3; }
    // The surface that holds the largest view.
    int surfaceWidth() const;
    int surfaceHeight() const;
    // The turn of frame k, in radians.
    double turnOfFrame(int frame) const;
};

// The three views side by side as the viewer's windows show them: main at x 0, side at x 320,
// up at x 640, all at y 0, 960 x 720 in all; the rest in the clear colour.
PictureDescription viewSheetPicture();
// One view alone, width x height, centred and scaled as its window.
PictureDescription singleViewPicture(ViewIndex view, int width, int height);

// A picture of the description's size in its background alone.
std::vector<uint8_t> blankPicture(const PictureDescription& description);
// Paints the whole picture in the description's background.
void fillBackground(const PictureDescription& description, std::vector<uint8_t>& picture);
// Reads placed.width x placed.height pixels of the current context's read buffer, from its left
// edge and sourceBottom rows above its bottom, into placed's place in picture (rows top first).
void readPlacedView(const PlacedView& placed, int sourceBottom, int channels, int pictureWidth,
                    std::vector<uint8_t>& picture);

// Draws pictures into the current GL context, whose surface holds the description's largest
// view and has alpha planes when the background is transparent. One context serves every model
// and frame of a run.
class PictureDrawing {
  public:
    explicit PictureDrawing(const PictureDescription& description);

    // Lays out the model's triangles and builds its texture page in the context, in place of the
    // previous model's.
    void prepare(Model& model);
    // Widens the one zoom that every frame of a fitted picture keeps so that it holds the model
    // as its tree is now, turned by turnRadians. Without any, each frame is fitted alone.
    void holdInFit(Model& model, double turnRadians);
    // One frame, the whole model selected and turned by turnRadians: channels() bytes a pixel,
    // top row first; valid until the next frame.
    const std::vector<uint8_t>& draw(Model& model, double turnRadians);

  private:
    void setUpView(const PlacedView& placed);
    // The shown parts in the current view's eye space, turned.
    static EyeBox boxOf(Model& model, double turnRadians);

    PictureDescription description_;
    ModelDrawing modelDrawing_;
    bool holding_ = false;
    EyeBox held_[3];
    std::vector<uint8_t> picture_;
};
