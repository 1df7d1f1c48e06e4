#include "shell/viewer_state.h"

#include "model/model.h"
#include "shell/shell_platform.h"

Model* theModel = nullptr;
BoneNode* rootNode = nullptr;
std::vector<PartMesh*> partList;
std::vector<int32_t> boneIndexList;
int32_t selectedBone = 0;
int32_t MouseMode = MouseModeRotation;
int mainWindow = 0, sideWindow = 0, upWindow = 0;
int mouseModeMenu = 0;
glui_lite::Window* controlPanel = nullptr;
glui_lite::RadioGroup* rootGroup = nullptr;
glui_lite::StaticText* playbackLine = nullptr;
glui_lite::RadioGroup* modeGroup = nullptr;
float lastMouseX = 0.0f, lastMouseY = 0.0f;
std::vector<glui_lite::Checkbox*> partCheckboxes;
EditHistory editHistory;
std::string shownModelName;
std::string shownArchivePath;
ShellPlatform* shellPlatform = nullptr;

void showModel(std::unique_ptr<Model> model) {
    delete theModel;
    theModel = model.release();
    rootNode = theModel ? theModel->rootNode() : nullptr;
    partList = theModel ? theModel->partList() : std::vector<PartMesh*>{};
    boneIndexList = theModel ? theModel->boneIndexList() : std::vector<int32_t>{};
    selectedBone = 0;
}
