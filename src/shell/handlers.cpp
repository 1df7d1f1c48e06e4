#include "shell/handlers.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "console/console.h"
#include "export/gltf_export.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "model/pose_file.h"
#include "png/png_writing.h"
#include "shell/archive_following.h"
#include "shell/archive_loop.h"
#include "shell/archive_opening.h"
#include "shell/glui_lite.h"
#include "shell/model_takeover.h"
#include "shell/playback_input.h"
#include "shell/pose_loading.h"
#include "shell/shell_platform.h"
#include "shell/texture_extract_command.h"
#include "shell/viewer_state.h"
#include "source/source.h"
#include "texture/texture_page.h"

namespace {

constexpr double kPixelsPerRadian = 40.0;
constexpr float kMaxZoomStep = 900.0f;
constexpr int kGlutDown = 0;    // GLUT_DOWN
constexpr int kLeftButton = 0;  // GLUT_LEFT_BUTTON
constexpr int kHomeKey = 106;   // GLUT_KEY_HOME
constexpr int kF5Key = 5;       // GLUT_KEY_F5
constexpr int kPageUpKey = 104, kPageDownKey = 105;
constexpr int kShiftHeld = 1;  // GLUT_ACTIVE_SHIFT
// GLUT hands Ctrl with a letter over as the control character: Ctrl+Y is 25, Ctrl+Z 26.
constexpr unsigned char kCtrlY = 25, kCtrlZ = 26;

// Scales every view's projection: the zoom acts on all three windows at once.
void zoomAllViews(float dy) {
    const float d = std::clamp(dy, -kMaxZoomStep, kMaxZoomStep);
    Matrix4 m = identityMatrix();
    m[0] = m[5] = m[10] = static_cast<float>(1.0 - 0.005 * d);
    for (int window : {mainWindow, sideWindow, upWindow}) {
        shellPlatform->setWindow(window);
        shellPlatform->multiplyProjection(m);
    }
    shellPlatform->setWindow(mainWindow);
}

void syncPanel() {
    if (controlPanel) controlPanel->sync_live();
}

// Exports the model in its current pose, bound to the pose it was loaded with. A name without
// the .glb or .gltf ending gets .glb, the one-file binary form.
void exportGltfFile() {
    // As the command line refuses it: a file of no bone is no model.
    if (!rootNode || rootNode->children.empty()) {
        consolePrintf("%s: no bone to export\n", shownArchiveName().c_str());
        return;
    }
    std::string path;
    if (!shellPlatform->chooseExportFile(path)) return;
    if (!isGltfExportPath(path)) path += ".glb";
    ExportInput input;
    input.root = rootNode;
    input.page = &theModel->texturePage();
    input.loaded = theModel->loadedPose;
    input.poses.push_back({"the current pose", Pose::capture(*rootNode)});
    const Result<> exported = exportGltf(input, path);
    if (exported) {
        consolePrintf("Export glTF : %s\n", path.c_str());
    } else {
        consolePrintf("%s\n", exported.message.c_str());
    }
}

bool hasPngEnding(const std::string& path) {
    return path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".png") == 0;
}

// The three views as the windows show them, as the --render sheet.
void savePicture() {
    std::string path;
    if (!shellPlatform->choosePictureFile(path)) return;
    if (!hasPngEnding(path)) path += ".png";
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    if (!shellPlatform->drawViewSheet(rgb, width, height)) {
        consolePrintf("%s: the views could not be drawn\n", path.c_str());
    } else if (const Result<> written = writePngFile(path, width, height, 3, rgb); written) {
        consolePrintf("Save picture : %s\n", path.c_str());
    } else {
        consolePrintf("%s: %s\n", path.c_str(), written.message.c_str());
    }
}

void saveMatrix() {
    std::string path;
    if (!shellPlatform->choosePoseFile(true, path)) return;
    consolePrintf("Save matrix : %s\n", path.c_str());
    const Result<> saved = savePoseFile(*rootNode, path.c_str());
    if (!saved) consolePrintf("%s\n", saved.message.c_str());
}

void loadMatrix() {
    std::string path;
    if (shellPlatform->choosePoseFile(false, path)) {
        consolePrintf("Load matrix : %s\n", path.c_str());
        editHistory.beginStep(*rootNode);
        loadPoseTellingBones(*rootNode, path.c_str());  // reports its own failure
        editHistory.endStep(*rootNode);
    }
    shellPlatform->postRedisplay();
}

void resetPose() {
    editHistory.beginStep(*rootNode);
    theModel->loadedPose.apply(*rootNode);
    editHistory.endStep(*rootNode);
    shellPlatform->postRedisplay();
}

void openArchive() {
    std::string path;
    if (!shellPlatform->chooseArchive(path)) return;
    consolePrintf("Open archive : %s\n", path.c_str());
    if (replaceModel(path.c_str(), Takeover::Open) != Refusal::None) {
        consolePrintf("%s brings no bone and no texture: the model shown stays\n", path.c_str());
    }
}

// Where the last press was, and whether the pointer has moved since: a press and release in one
// place is a click, which picks a part; anything else is a drag.
struct Press {
    int x = 0, y = 0;
    bool moved = true;
} lastPress;

// Selects the bone of the part clicked at (x, y), as its radio button would; the background
// changes nothing.
void pickAt(int x, int y) {
    const int32_t bone = shellPlatform->pickBone(x, y);
    if (bone < 1) return;
    for (size_t k = 0; k < boneIndexList.size(); ++k) {
        if (boneIndexList[k] + 1 != bone) continue;
        const int radio = static_cast<int>(k + 1);
        if (rootGroup) {
            rootGroup->click(radio);  // writes selectedBone and redraws, as a click on it does
            if (controlPanel && controlPanel->onChanged) controlPanel->onChanged();
        } else {
            selectedBone = radio;
            shellPlatform->setWindow(mainWindow);
            shellPlatform->postRedisplay();
        }
        return;
    }
}

void redrawMainWindow() {
    shellPlatform->setWindow(mainWindow);
    shellPlatform->postRedisplay();
}

void undoEdit() {
    if (editHistory.undo(*rootNode)) redrawMainWindow();
}

void redoEdit() {
    if (editHistory.redo(*rootNode)) redrawMainWindow();
}

// The per-part reset table this command walks is never filled, so it only redraws.
void initMatrix() {
    shellPlatform->postRedisplay();
}

}  // namespace

void relabelMouseModeMenu(int mode) {
    const bool rotation = mode == MouseModeRotation;
    shellPlatform->setMenu(mouseModeMenu);
    shellPlatform->changeToMenuEntry(1, rotation ? "*Rotation" : " Rotation", kMenuRotation);
    shellPlatform->changeToMenuEntry(2, rotation ? " Translation" : "*Translation",
                                     kMenuTranslation);
}

// A press begins an undo step and a release ends it: the step is whatever the drag changed.
void onMouseButton(int button, int state, int x, int y) {
    if (playbackRunning()) return;  // the mouse does not edit while poses play
    if (state != kGlutDown) {
        editHistory.endStep(*rootNode);
        const bool click = !lastPress.moved && x == lastPress.x && y == lastPress.y;
        lastPress.moved = true;
        if (click && button == kLeftButton) pickAt(x, y);
        return;
    }
    editHistory.beginStep(*rootNode);
    lastPress = {x, y, false};
    lastMouseX = static_cast<float>(x);
    lastMouseY = static_cast<float>(y);
}

void onMotion(int x, int y) {
    if (playbackRunning()) return;
    if (x != lastPress.x || y != lastPress.y) lastPress.moved = true;
    const float dx = static_cast<float>(x) - lastMouseX;
    const float dy = static_cast<float>(y) - lastMouseY;
    switch (MouseMode) {
        case MouseModeRotation:
            // A drag to the right turns the model clockwise seen from above.
            rootNode->rotateBone(rotationAboutZ(-(dx / kPixelsPerRadian)), selectedBone);
            rootNode->rotateBone(rotationAboutX(dy / kPixelsPerRadian), selectedBone);
            break;
        case MouseModeTranslation: {
            // Along x, and along z: the screen's vertical in the main view.
            rootNode->translateBone(translationMatrix(dx, 0.0f, dy), selectedBone);
            break;
        }
        case MouseModeZoom:
            zoomAllViews(dy);
            break;
        default:
            break;
    }
    shellPlatform->postRedisplay();
    lastMouseX = static_cast<float>(x);
    lastMouseY = static_cast<float>(y);
}

void onKeyboard(unsigned char key, int /*x*/, int /*y*/) {
    if (playbackRunning()) {
        onPlaybackKey(key);
        return;
    }
    switch (key) {
        case kCtrlZ:
            if (shellPlatform->keyModifiers() & kShiftHeld) {
                redoEdit();
            } else {
                undoEdit();
            }
            break;
        case kCtrlY:
            redoEdit();
            break;
        case 'R':
        case 'r':
            MouseMode = MouseModeRotation;
            relabelMouseModeMenu(MouseMode);
            syncPanel();
            break;
        case 'T':
        case 't':
            MouseMode = MouseModeTranslation;
            relabelMouseModeMenu(MouseMode);
            syncPanel();
            break;
        case 'F':
        case 'f':
            shellPlatform->fitViews();
            break;
        case 'Z':
        case 'z':
            // The menu has no zoom entry, so its star stays on the previous mode.
            MouseMode = MouseModeZoom;
            shellPlatform->setMenu(mouseModeMenu);
            syncPanel();
            break;
        default:
            break;
    }
}

// The arrow keys step a selection through the part table, which is never filled: nothing to do.
// Home gives every view its start-up zoom back; F5, PageDown and PageUp act as their menu entries.
void onSpecialKey(int key, int /*x*/, int /*y*/) {
    switch (key) {
        case kHomeKey:
            shellPlatform->resetViewZoom();
            break;
        case kF5Key:
            reloadShownArchive();
            break;
        case kPageDownKey:
            walkFolder(+1);
            break;
        case kPageUpKey:
            walkFolder(-1);
            break;
        default:
            break;
    }
}

void onMenu(int value) {
    // Values without the command bit belong to the part table's menus, which are never built.
    if (!(value & kMenuCommandBit)) return;
    stopPlayback();  // every command acts on the pose shown, as an edit of its own
    switch (value) {
        case kMenuSaveMatrix:
            saveMatrix();
            break;
        case kMenuExportGltf:
            if (theModel) exportGltfFile();
            break;
        case kMenuLoadMatrix:
            loadMatrix();
            break;
        case kMenuRotation:
            // The panel's mode group follows only at the next sync (a key press).
            MouseMode = MouseModeRotation;
            relabelMouseModeMenu(MouseMode);
            break;
        case kMenuTranslation:
            MouseMode = MouseModeTranslation;
            relabelMouseModeMenu(MouseMode);
            break;
        case kMenuInitMatrix:
            initMatrix();
            break;
        case kMenuResetPose:
            resetPose();
            break;
        case kMenuOpenArchive:
            openArchive();
            break;
        case kMenuFitViews:
            shellPlatform->fitViews();
            break;
        case kMenuExtractTextures:
            extractShownTextures();
            break;
        case kMenuPlayPoses:
            playPoses();
            break;
        case kMenuReloadArchive:
            reloadShownArchive();
            break;
        case kMenuNextArchive:
            walkFolder(+1);
            break;
        case kMenuPreviousArchive:
            walkFolder(-1);
            break;
        case kMenuSavePicture:
            savePicture();
            break;
        default:
            break;
    }
}

void onPartCheckbox(int id) {
    if (id < 1 || static_cast<size_t>(id) > boneIndexList.size()) return;
    const int32_t k = boneIndexList[id - 1];
    if (k < 0 || static_cast<size_t>(k) >= partList.size()) return;
    PartMesh* mesh = partList[k];
    mesh->setVisible(1 - mesh->isVisible());
    shellPlatform->setWindow(mainWindow);
    shellPlatform->postRedisplay();
}

void onRootGroup(int /*id*/) {
    selectedBone = rootGroup->get_int_val();
    shellPlatform->setWindow(mainWindow);
    shellPlatform->postRedisplay();
}

void setAllPartsVisible(int32_t visible) {
    for (PartMesh* mesh : partList) mesh->setVisible(visible);
    for (glui_lite::Checkbox* box : partCheckboxes) box->set_int_val(visible);
    if (controlPanel && controlPanel->onChanged) controlPanel->onChanged();
}

void onShowAll(int /*id*/) {
    setAllPartsVisible(1);
    redrawMainWindow();
}

void onHideAll(int /*id*/) {
    setAllPartsVisible(0);
    redrawMainWindow();
}

void onUndo(int /*id*/) {
    stopPlayback();
    undoEdit();
}

void onRedo(int /*id*/) {
    stopPlayback();
    redoEdit();
}

std::string modelNameOf(const char* path) {
    if (!path || !*path) return "demo model";
    const std::string whole = path;
    const Source source = sourceFromArgument(whole);
    // A member keeps the image's name before it: "game.cue/CHR/HERO.BIN".
    const std::string file = source.kind == Source::Kind::Member ? source.path : whole;
    const size_t slash = file.find_last_of('/');
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    return source.kind == Source::Kind::Member ? name + whole.substr(file.size()) : name;
}

// The new model loads beside the shown one, which stays whole until the new one has loaded.
Refusal replaceModel(const char* path, Takeover how) {
    stopPlayback();  // the playback drives the bones that are about to go
    const ShownModelView before =
        viewOf(*rootNode, partList, selectedBone, theModel ? theModel->loadedPose : Pose());
    LoadedModel loaded;
    std::string shown;
    std::unique_ptr<Model> model = loadArchiveModel(path, loaded, shown);
    const Refusal refusal = refusalOf(loaded, model->texturePage().width != 0, how);
    if (refusal != Refusal::None) return refusal;
    showModel(std::move(model));
    carryOver(carriedOver(how, before, treeShapeOf(*rootNode)), before, *rootNode, partList,
              selectedBone);
    shownModelName = modelNameOf(shown.c_str());
    shownArchivePath = shown;
    // The steps stay valid only while every matrix is what it was: a reload that kept them all.
    if (how != Takeover::Reload || Pose::capture(*rootNode) != before.pose) editHistory.clear();
    shellPlatform->showReplacedModel();
    followShownArchive();
    return Refusal::None;
}
