#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/edit_history.h"

class BoneNode;
class Model;
class PartMesh;
namespace glui_lite {
class Window;
class RadioGroup;
class Checkbox;
class StaticText;
}  // namespace glui_lite

// What the mouse does while a button is held in the main window.
enum : int32_t { MouseModeRotation = 0, MouseModeTranslation = 1, MouseModeZoom = 2 };

// Values the popup menus hand to onMenu. Every viewer command carries the 0x4000 bit.
constexpr int kMenuCommandBit = 0x4000;
constexpr int kMenuRotation = 32766;
constexpr int kMenuTranslation = 32765;
constexpr int kMenuInitMatrix = 32764;
constexpr int kMenuLoadMatrix = 32763;
constexpr int kMenuSaveMatrix = 32762;
constexpr int kMenuExportGltf = 32761;
constexpr int kMenuResetPose = 32760;
constexpr int kMenuOpenArchive = 32759;
constexpr int kMenuFitViews = 32758;
constexpr int kMenuExtractTextures = 32757;
constexpr int kMenuPlayPoses = 32756;
constexpr int kMenuReloadArchive = 32755;
constexpr int kMenuNextArchive = 32754;
constexpr int kMenuPreviousArchive = 32753;
constexpr int kMenuSavePicture = 32752;

// The top menu's entries below "Mouse mode", in order; a new command goes at the end.
struct MenuEntry {
    const char* label;
    int value;
};
inline constexpr MenuEntry kTopMenuEntries[] = {
    {"Init matrix", kMenuInitMatrix},   {"Load matrix", kMenuLoadMatrix},
    {"Save matrix", kMenuSaveMatrix},   {"Export glTF", kMenuExportGltf},
    {"Reset pose", kMenuResetPose},     {"Open archive", kMenuOpenArchive},
    {"Fit views", kMenuFitViews},       {"Extract textures", kMenuExtractTextures},
    {"Play poses", kMenuPlayPoses},     {"Reload archive", kMenuReloadArchive},
    {"Next archive", kMenuNextArchive}, {"Previous archive", kMenuPreviousArchive},
    {"Save picture", kMenuSavePicture}};

// Process-wide viewer state, changed only by start-up and the input handlers.
extern Model* theModel;
// The shown model's tree and bones (theModel's), and the bone id the mouse acts on: 0 for the
// whole model, i for bone id i.
extern BoneNode* rootNode;
extern std::vector<PartMesh*> partList;
extern std::vector<int32_t> boneIndexList;
extern int32_t selectedBone;
extern int32_t MouseMode;
extern int mainWindow, sideWindow, upWindow;
extern int mouseModeMenu;
extern glui_lite::Window* controlPanel;
extern glui_lite::RadioGroup* rootGroup;
extern glui_lite::RadioGroup* modeGroup;
extern glui_lite::StaticText* playbackLine;  // the playing time and pose file, else empty
extern float lastMouseX, lastMouseY;

// The part check boxes of the panel, bone i's at i (set by buildControlPanel).
extern std::vector<glui_lite::Checkbox*> partCheckboxes;
// The undo history of the bone edits.
extern EditHistory editHistory;
// What the panel names as the model shown: the archive's file name, or "demo model".
extern std::string shownModelName;
// The path of the archive shown as it was given, empty for the demo model.
extern std::string shownArchivePath;
// How a console line names the model shown: that path, or "demo model".
inline std::string shownArchiveName() {
    return shownArchivePath.empty() ? "demo model" : shownArchivePath;
}

// Makes model the one shown (theModel owns it from now on, dropping the one before) and points
// rootNode, partList and boneIndexList at its tree; the whole model is selected.
void showModel(std::unique_ptr<Model> model);
