#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Model;
class OffscreenDisplay;

// The three views side by side as the viewer's windows show them: main at x 0, side at x 320,
// up at x 640 (all at y 0), the rest in the clear colour. RGB, top row first.
struct ViewSheet {
    static constexpr int kWidth = 960;
    static constexpr int kHeight = 720;
    std::vector<uint8_t> rgb;
};

// Draws the model, the whole of it selected, in each view, in a
// fresh off-screen context per view, with the viewer's set-up, preparation and first reshape.
// false with the reason in error when a context could not be made.
bool drawViewSheet(const OffscreenDisplay& display, Model& model, ViewSheet& sheet,
                   std::string& error);
