#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/document.h"
#include "model/edit_history.h"
#include "shell/archive_following.h"
#include "shell/image_archives.h"
#include "shell/playback.h"

class BoneNode;
class Model;
class PartMesh;
class ShellPlatform;
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

// The viewer's windows and the menu whose entries change, by their window-system ids.
struct ViewerWindowIds {
    int main = 0, side = 0, up = 0;
    int mouseModeMenu = 0;
};

// The controls of the control panel the handlers reach; the panel's window owns them (set by
// buildControlPanel).
struct PanelControls {
    glui_lite::Window* window = nullptr;
    glui_lite::RadioGroup* rootGroup = nullptr;
    glui_lite::RadioGroup* modeGroup = nullptr;
    glui_lite::StaticText* playbackLine = nullptr;     // the playing time and pose file, else empty
    std::vector<glui_lite::Checkbox*> partCheckboxes;  // bone i's at i
};

// Where the pointer was, and where the last press was and whether it has moved since: a press
// and release in one place is a click, which picks a part; anything else is a drag.
struct PointerTrack {
    float lastX = 0.0f, lastY = 0.0f;
    int pressX = 0, pressY = 0;
    bool moved = true;
};

// "Play poses" and its timer. Each start of the timer gets a new number, so a tick already asked
// for before a pause does not run a second chain of ticks after the resume.
struct PosePlaying {
    Playback playback;
    int timerGeneration = 0;
};

// Everything the viewer keeps while it runs: the document shown and what the user has made of
// it, the windows and the panel, and the commands' own state. Start-up builds it and the input
// handlers change it; nothing of it is process-wide.
struct ViewerState {
    ViewerState();

    ShellPlatform* platform = nullptr;  // the handlers' window-system calls
    Document document;                  // the one shown; its model is never null
    // What the panel names as the model shown: the archive's file name, or "demo model".
    std::string shownModelName;
    // The argument naming the archive shown as it was given, empty for the demo model.
    std::string shownArchivePath;
    // The bone id the mouse acts on: 0 for the whole model, i for bone id i.
    int32_t selectedBone = 0;
    int32_t mouseMode = MouseModeRotation;
    ViewerWindowIds windows;
    PanelControls panel;
    PointerTrack pointer;
    EditHistory editHistory;  // the undo history of the bone edits
    PosePlaying posePlaying;
    Following following;
    ImageArchives walkedImage;  // the archives of the image the walk goes through

    Model& model() { return *document.model; }
    BoneNode& root() { return *document.model->rootNode(); }
    // Bone i's mesh at i, and the bone indices 0 .. n - 1.
    const std::vector<PartMesh*>& parts() const { return document.model->partList(); }
    const std::vector<int32_t>& boneIndices() const { return document.model->boneIndexList(); }

    // How a console line names the model shown: its path, or "demo model".
    std::string shownArchiveName() const {
        return shownArchivePath.empty() ? "demo model" : shownArchivePath;
    }
};

// Makes document the one shown, dropping the one before; the whole model is selected.
void showDocument(ViewerState& viewer, Document document);
// A document of nothing: the root alone, no bone, a clear page, no bytes.
Document emptyDocument();
