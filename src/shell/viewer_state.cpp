#include "shell/viewer_state.h"

#include "shell/shell_platform.h"

Model* theModel = nullptr;
int32_t MouseMode = MouseModeRotation;
int mainWindow = 0, sideWindow = 0, upWindow = 0;
int mouseModeMenu = 0;
glui_lite::Window* controlPanel = nullptr;
glui_lite::RadioGroup* rootGroup = nullptr;
glui_lite::RadioGroup* modeGroup = nullptr;
float lastMouseX = 0.0f, lastMouseY = 0.0f;
std::vector<glui_lite::Checkbox*> partCheckboxes;
EditHistory editHistory;
LoadedPose loadedPose;
std::string shownModelName;
std::string shownArchivePath;
ShellPlatform* shellPlatform = nullptr;
