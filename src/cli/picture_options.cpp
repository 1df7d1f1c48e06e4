#include "cli/picture_options.h"

#include <cstdio>

namespace {

constexpr int kLargestSide = 4096;
constexpr int kFewestTurns = 2, kMostTurns = 360;

bool parseView(const std::string& name, ViewIndex& view) {
    const struct {
        const char* name;
        ViewIndex view;
    } views[] = {{"main", ViewMain}, {"side", ViewSide}, {"up", ViewUp}};
    for (const auto& v : views) {
        if (name == v.name) {
            view = v.view;
            return true;
        }
    }
    return false;
}

// Whole decimal numbers only: "512x512", not "0x200x0x200" nor "+512x512".
bool parseSide(const std::string& text, int& side) {
    if (text.empty() || text.size() > 4) return false;
    side = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        side = 10 * side + (c - '0');
    }
    return side >= 1 && side <= kLargestSide;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    return x != std::string::npos && parseSide(text.substr(0, x), width) &&
           parseSide(text.substr(x + 1), height);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parseBackground(const std::string& text, PictureBackground& background) {
    if (text.empty()) return true;
    if (text == "transparent") {
        background.kind = PictureBackground::Transparent;
        return true;
    }
    if (text.size() != 7 || text[0] != '#') return false;
    for (int k = 0; k < 3; ++k) {
        const int high = hexDigit(text[1 + 2 * k]), low = hexDigit(text[2 + 2 * k]);
        if (high < 0 || low < 0) return false;
        background.rgb[k] = static_cast<uint8_t>(16 * high + low);
    }
    background.kind = PictureBackground::Colour;
    return true;
}

}  // namespace

std::string describePicture(const PictureOptions& options, PictureDescription& picture) {
    ViewIndex view = ViewMain;
    if (!options.view.empty() && !parseView(options.view, view)) {
        return "--view: '" + options.view + "' is not a view; give main, side or up";
    }
    if (!options.size.empty() && options.view.empty()) {
        return "--size needs --view: the sheet keeps its 960 x 720";
    }
    int width = 0, height = 0;
    if (!options.size.empty() && !parseSize(options.size, width, height)) {
        return "--size: '" + options.size + "' is not WxH with each side from 1 to 4096";
    }
    PictureBackground background;
    if (!parseBackground(options.background, background)) {
        return "--background: '" + options.background + "' is neither #RRGGBB nor transparent";
    }
    if (options.turntable &&
        (*options.turntable < kFewestTurns || *options.turntable > kMostTurns)) {
        return "--turntable " + std::to_string(*options.turntable) + ": give 2 to 360 frames";
    }

    if (options.view.empty()) {
        picture = viewSheetPicture();
    } else {
        const ViewWindowLayout& window = kViewWindows[view];
        picture = options.size.empty() ? singleViewPicture(view, window.width, window.height)
                                       : singleViewPicture(view, width, height);
    }
    picture.fit = options.fit;
    picture.background = background;
    picture.axes = !options.noAxes;
    picture.turntableFrames = options.turntable.value_or(0);
    return "";
}
