#pragma once

#include <imgui.h>

#include <vector>

#include "shell/glui_lite.h"

// A control clicked in a frame (for a radio group, which button).
struct PanelClick {
    glui_lite::Control* control;
    int index;
};

// Draws the panel's columns and controls into the current Dear ImGui frame, filling the whole
// display and scrolling when it is too small; adds the controls clicked in this frame to
// clicks. Returns the size the controls need.
ImVec2 drawPanelWindow(glui_lite::Window& panel, std::vector<PanelClick>& clicks);

// Runs each click on its control: sets the control, writes its live variable, calls back.
void applyPanelClicks(const std::vector<PanelClick>& clicks);
