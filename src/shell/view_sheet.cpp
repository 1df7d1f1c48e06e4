#include "shell/view_sheet.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "model/model.h"
#include "render/views.h"
#include "shell/offscreen_context.h"

namespace {

struct SheetView {
    ViewIndex view;
    int width, height;
    int left;
};
// In the order the viewer prepares its windows.
const SheetView kSheetViews[] = {
    {ViewSide, 320, 720, 320}, {ViewUp, 320, 320, 640}, {ViewMain, 320, 720, 0}};
const float kClearColour[3] = {0.25f, 0.5f, 0.75f};

void pasteView(const std::vector<uint8_t>& view, const SheetView& place, ViewSheet& sheet) {
    const size_t rowBytes = 3 * static_cast<size_t>(place.width);
    for (int y = 0; y < place.height; ++y) {
        const uint8_t* from = &view[rowBytes * static_cast<size_t>(y)];
        uint8_t* to = &sheet.rgb[3 * (static_cast<size_t>(y) * ViewSheet::kWidth +
                                      static_cast<size_t>(place.left))];
        std::copy(from, from + rowBytes, to);
    }
}

}  // namespace

bool drawViewSheet(const OffscreenDisplay& display, Model& model, ViewSheet& sheet,
                   std::string& error) {
    sheet.rgb.resize(3 * static_cast<size_t>(ViewSheet::kWidth) * ViewSheet::kHeight);
    // The part of the up view's column below it shows the clear colour, as GL rounds it.
    for (size_t p = 0; p < sheet.rgb.size(); p += 3) {
        for (int k = 0; k < 3; ++k) {
            sheet.rgb[p + static_cast<size_t>(k)] =
                static_cast<uint8_t>(std::lround(kClearColour[k] * 255.0f));
        }
    }
    for (const SheetView& place : kSheetViews) {
        OffscreenContext context(display, place.width, place.height);
        if (!context.ready(error)) return false;
        glClearColor(kClearColour[0], kClearColour[1], kClearColour[2], 1.0f);
        setupView(place.view);
        model.prepareWindow();
        applyViewSize(place.width, place.height);  // the window's first reshape
        renderFrame();
        pasteView(context.readRgb(), place, sheet);
    }
    return true;
}
