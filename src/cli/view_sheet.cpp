#include "cli/view_sheet.h"

#include <algorithm>
#include <cmath>

#include "cli/offscreen_context.h"
#include "model/model.h"
#include "render/views.h"

namespace {

// In the order the viewer prepares its windows; each view stands at 320 x its index.
const ViewIndex kPreparationOrder[] = {ViewSide, ViewUp, ViewMain};
constexpr int kColumnWidth = 320;

void pasteView(const std::vector<uint8_t>& view, ViewIndex index, ViewSheet& sheet) {
    const ViewWindowLayout& layout = kViewWindows[index];
    const size_t rowBytes = 3 * static_cast<size_t>(layout.width);
    const size_t left = static_cast<size_t>(kColumnWidth) * static_cast<size_t>(index);
    for (int y = 0; y < layout.height; ++y) {
        const uint8_t* from = &view[rowBytes * static_cast<size_t>(y)];
        uint8_t* to = &sheet.rgb[3 * (static_cast<size_t>(y) * ViewSheet::kWidth + left)];
        std::copy(from, from + rowBytes, to);
    }
}

}  // namespace

bool drawViewSheet(const OffscreenDisplay& display, Model& model, ViewSheet& sheet,
                   std::string& error) {
    sheet.rgb.resize(3 * static_cast<size_t>(ViewSheet::kWidth) * ViewSheet::kHeight);
    // The part of the up view's column below it shows the clear colour, as GL rounds it.
    uint8_t clear[3];
    for (int k = 0; k < 3; ++k)
        clear[k] = static_cast<uint8_t>(std::lround(kViewClearColor[k] * 255.0f));
    for (size_t p = 0; p < sheet.rgb.size(); p += 3) std::copy_n(clear, 3, &sheet.rgb[p]);
    for (const ViewIndex view : kPreparationOrder) {
        const ViewWindowLayout& layout = kViewWindows[view];
        OffscreenContext context(display, layout.width, layout.height);
        if (!context.ready(error)) return false;
        prepareView(view, model);
        applyViewSize(layout.width, layout.height);  // the window's first reshape
        renderFrame(model, 0);                       // the whole model selected
        pasteView(context.readRgb(), view, sheet);
    }
    return true;
}
