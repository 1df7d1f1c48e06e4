#pragma once

#include <memory>
#include <string>

#include "shell/glui_lite.h"

struct ViewerState;

// Builds the control panel from the shown model's bones: the model's name, the "VisibleSelect"
// panel with a check box and a radio button per bone, the mouse-mode group, "Quit", "Show all",
// "Hide all", "Undo" and "Redo". Sets viewer.panel; its controls act on viewer. quit is the "Quit"
// button's callback (the standard exit in the viewer).
std::unique_ptr<glui_lite::Window> buildControlPanel(ViewerState& viewer, glui_lite::Callback quit);

// The radio label of bone id k: a blank for the sign, right-aligned in three characters.
std::string boneRadioLabel(int boneId);
