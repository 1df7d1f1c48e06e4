#pragma once

#include <optional>
#include <string>

#include "render/picture.h"

// The picture options of --render as given, before they are checked.
struct PictureOptions {
    std::string view;        // --view: main, side or up; empty for the sheet
    std::string size;        // --size WxH; empty for the view's window size
    bool fit = false;        // --fit
    std::string background;  // --background #RRGGBB or transparent; empty for the clear colour
    bool noAxes = false;     // --no-axes
    std::optional<int> turntable;  // --turntable N
};

// The picture the options describe; "" or the usage problem.
std::string describePicture(const PictureOptions& options, PictureDescription& picture);
