#pragma once

#include <memory>

#include "shell/glui_lite.h"

// Builds the control panel from boneIndexList: the "VisibleSelect" panel with a check box and a
// radio button per bone, the mouse-mode group and "Quit". Sets controlPanel, rootGroup and
// modeGroup. quit is the "Quit" button's callback (the standard exit in the viewer).
std::unique_ptr<glui_lite::Window> buildControlPanel(glui_lite::Callback quit);

// The radio label of bone id k: a blank for the sign, right-aligned in three characters.
std::string boneRadioLabel(int boneId);
