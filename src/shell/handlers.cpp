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
#include "shell/model_replacement.h"
#include "shell/playback_input.h"
#include "shell/pose_loading.h"
#include "shell/shell_platform.h"
#include "shell/texture_extract_command.h"
#include "shell/viewer_state.h"
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
void zoomAllViews(ViewerState& viewer, float dy) {
    const float d = std::clamp(dy, -kMaxZoomStep, kMaxZoomStep);
    Matrix4 m = identityMatrix();
    m[0] = m[5] = m[10] = static_cast<float>(1.0 - 0.005 * d);
    const ViewerWindowIds& windows = viewer.windows;
    for (int window : {windows.main, windows.side, windows.up}) {
        viewer.platform->setWindow(window);
        viewer.platform->multiplyProjection(m);
    }
    viewer.platform->setWindow(windows.main);
}

void syncPanel(ViewerState& viewer) {
    if (viewer.panel.window) viewer.panel.window->sync_live();
}

void panelChanged(ViewerState& viewer) {
    glui_lite::Window* panel = viewer.panel.window;
    if (panel && panel->onChanged) panel->onChanged();
}

// Exports the model in its current pose, bound to the pose it was loaded with. A name without
// the .glb or .gltf ending gets .glb, the one-file binary form.
void exportGltfFile(ViewerState& viewer) {
    BoneNode& root = viewer.root();
    // As the command line refuses it: a file of no bone is no model.
    if (root.children.empty()) {
        consolePrintf("%s: no bone to export\n", viewer.shownArchiveName().c_str());
        return;
    }
    std::string path;
    if (!viewer.platform->chooseExportFile(path)) return;
    if (!isGltfExportPath(path)) path += ".glb";
    ExportInput input;
    input.root = &root;
    input.page = &viewer.model().texturePage();
    input.loaded = viewer.model().loadedPose;
    input.poses.push_back({"the current pose", Pose::capture(root)});
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
void savePicture(ViewerState& viewer) {
    std::string path;
    if (!viewer.platform->choosePictureFile(path)) return;
    if (!hasPngEnding(path)) path += ".png";
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    if (!viewer.platform->drawViewSheet(rgb, width, height)) {
        consolePrintf("%s: the views could not be drawn\n", path.c_str());
    } else if (const Result<> written = writePngFile(path, width, height, 3, rgb); written) {
        consolePrintf("Save picture : %s\n", path.c_str());
    } else {
        consolePrintf("%s: %s\n", path.c_str(), written.message.c_str());
    }
}

void saveMatrix(ViewerState& viewer) {
    std::string path;
    if (!viewer.platform->choosePoseFile(true, path)) return;
    consolePrintf("Save matrix : %s\n", path.c_str());
    const Result<> saved = savePoseFile(viewer.root(), path.c_str());
    if (!saved) consolePrintf("%s\n", saved.message.c_str());
}

void loadMatrix(ViewerState& viewer) {
    std::string path;
    if (viewer.platform->choosePoseFile(false, path)) {
        consolePrintf("Load matrix : %s\n", path.c_str());
        viewer.editHistory.beginStep(viewer.root());
        loadPoseTellingBones(viewer.root(), path.c_str());  // reports its own failure
        viewer.editHistory.endStep(viewer.root());
    }
    viewer.platform->postRedisplay();
}

void resetPose(ViewerState& viewer) {
    viewer.editHistory.beginStep(viewer.root());
    viewer.model().loadedPose.apply(viewer.root());
    viewer.editHistory.endStep(viewer.root());
    viewer.platform->postRedisplay();
}

// The loaders' lines are printed whether the archive is shown or refused.
void openArchive(ViewerState& viewer) {
    std::string path;
    if (!viewer.platform->chooseArchive(path)) return;
    consolePrintf("Open archive : %s\n", path.c_str());
    const Replacement replaced = replaceModel(viewer, path.c_str(), Takeover::Open);
    for (const std::string& line : replaced.lines) consolePrintf("%s", line.c_str());
    if (replaced.refusal != Refusal::None) {
        consolePrintf("%s brings no bone and no texture: the model shown stays\n", path.c_str());
    }
}

void redrawMainWindow(ViewerState& viewer) {
    viewer.platform->setWindow(viewer.windows.main);
    viewer.platform->postRedisplay();
}

// Selects the bone of the part clicked at (x, y), as its radio button would; the background
// changes nothing.
void pickAt(ViewerState& viewer, int x, int y) {
    const int32_t bone = viewer.platform->pickBone(x, y);
    if (bone < 1) return;
    const std::vector<int32_t>& bones = viewer.boneIndices();
    for (size_t k = 0; k < bones.size(); ++k) {
        if (bones[k] + 1 != bone) continue;
        const int radio = static_cast<int>(k + 1);
        if (viewer.panel.rootGroup) {
            // Writes selectedBone and redraws, as a click on it does.
            viewer.panel.rootGroup->click(radio);
            panelChanged(viewer);
        } else {
            viewer.selectedBone = radio;
            redrawMainWindow(viewer);
        }
        return;
    }
}

void undoEdit(ViewerState& viewer) {
    if (viewer.editHistory.undo(viewer.root())) redrawMainWindow(viewer);
}

void redoEdit(ViewerState& viewer) {
    if (viewer.editHistory.redo(viewer.root())) redrawMainWindow(viewer);
}

// The per-part reset table this command walks is never filled, so it only redraws.
void initMatrix(ViewerState& viewer) {
    viewer.platform->postRedisplay();
}

void setMouseMode(ViewerState& viewer, int32_t mode) {
    viewer.mouseMode = mode;
    relabelMouseModeMenu(viewer, mode);
}

}  // namespace

void relabelMouseModeMenu(ViewerState& viewer, int mode) {
    const bool rotation = mode == MouseModeRotation;
    ShellPlatform& platform = *viewer.platform;
    platform.setMenu(viewer.windows.mouseModeMenu);
    platform.changeToMenuEntry(1, rotation ? "*Rotation" : " Rotation", kMenuRotation);
    platform.changeToMenuEntry(2, rotation ? " Translation" : "*Translation", kMenuTranslation);
}

// A press begins an undo step and a release ends it: the step is whatever the drag changed.
void onMouseButton(ViewerState& viewer, int button, int state, int x, int y) {
    if (playbackRunning(viewer)) return;  // the mouse does not edit while poses play
    PointerTrack& pointer = viewer.pointer;
    if (state != kGlutDown) {
        viewer.editHistory.endStep(viewer.root());
        const bool click = !pointer.moved && x == pointer.pressX && y == pointer.pressY;
        pointer.moved = true;
        if (click && button == kLeftButton) pickAt(viewer, x, y);
        return;
    }
    viewer.editHistory.beginStep(viewer.root());
    pointer.pressX = x;
    pointer.pressY = y;
    pointer.moved = false;
    pointer.lastX = static_cast<float>(x);
    pointer.lastY = static_cast<float>(y);
}

void onMotion(ViewerState& viewer, int x, int y) {
    if (playbackRunning(viewer)) return;
    PointerTrack& pointer = viewer.pointer;
    if (x != pointer.pressX || y != pointer.pressY) pointer.moved = true;
    const float dx = static_cast<float>(x) - pointer.lastX;
    const float dy = static_cast<float>(y) - pointer.lastY;
    BoneNode& root = viewer.root();
    switch (viewer.mouseMode) {
        case MouseModeRotation:
            // A drag to the right turns the model clockwise seen from above.
            root.rotateBone(rotationAboutZ(-(dx / kPixelsPerRadian)), viewer.selectedBone);
            root.rotateBone(rotationAboutX(dy / kPixelsPerRadian), viewer.selectedBone);
            break;
        case MouseModeTranslation: {
            // Along x, and along z: the screen's vertical in the main view.
            root.translateBone(translationMatrix(dx, 0.0f, dy), viewer.selectedBone);
            break;
        }
        case MouseModeZoom:
            zoomAllViews(viewer, dy);
            break;
        default:
            break;
    }
    viewer.platform->postRedisplay();
    pointer.lastX = static_cast<float>(x);
    pointer.lastY = static_cast<float>(y);
}

void onKeyboard(ViewerState& viewer, unsigned char key, int /*x*/, int /*y*/) {
    if (playbackRunning(viewer)) {
        onPlaybackKey(viewer, key);
        return;
    }
    switch (key) {
        case kCtrlZ:
            if (viewer.platform->keyModifiers() & kShiftHeld) {
                redoEdit(viewer);
            } else {
                undoEdit(viewer);
            }
            break;
        case kCtrlY:
            redoEdit(viewer);
            break;
        case 'R':
        case 'r':
            setMouseMode(viewer, MouseModeRotation);
            syncPanel(viewer);
            break;
        case 'T':
        case 't':
            setMouseMode(viewer, MouseModeTranslation);
            syncPanel(viewer);
            break;
        case 'F':
        case 'f':
            viewer.platform->fitViews();
            break;
        case 'Z':
        case 'z':
            // The menu has no zoom entry, so its star stays on the previous mode.
            viewer.mouseMode = MouseModeZoom;
            viewer.platform->setMenu(viewer.windows.mouseModeMenu);
            syncPanel(viewer);
            break;
        default:
            break;
    }
}

// The arrow keys step a selection through the part table, which is never filled: nothing to do.
// Home gives every view its start-up zoom back; F5, PageDown and PageUp act as their menu entries.
void onSpecialKey(ViewerState& viewer, int key, int /*x*/, int /*y*/) {
    switch (key) {
        case kHomeKey:
            viewer.platform->resetViewZoom();
            break;
        case kF5Key:
            reloadShownArchive(viewer);
            break;
        case kPageDownKey:
            walkFolder(viewer, +1);
            break;
        case kPageUpKey:
            walkFolder(viewer, -1);
            break;
        default:
            break;
    }
}

void onMenu(ViewerState& viewer, int value) {
    // Values without the command bit belong to the part table's menus, which are never built.
    if (!(value & kMenuCommandBit)) return;
    stopPlayback(viewer);  // every command acts on the pose shown, as an edit of its own
    switch (value) {
        case kMenuSaveMatrix:
            saveMatrix(viewer);
            break;
        case kMenuExportGltf:
            exportGltfFile(viewer);
            break;
        case kMenuLoadMatrix:
            loadMatrix(viewer);
            break;
        case kMenuRotation:
            // The panel's mode group follows only at the next sync (a key press).
            setMouseMode(viewer, MouseModeRotation);
            break;
        case kMenuTranslation:
            setMouseMode(viewer, MouseModeTranslation);
            break;
        case kMenuInitMatrix:
            initMatrix(viewer);
            break;
        case kMenuResetPose:
            resetPose(viewer);
            break;
        case kMenuOpenArchive:
            openArchive(viewer);
            break;
        case kMenuFitViews:
            viewer.platform->fitViews();
            break;
        case kMenuExtractTextures:
            extractShownTextures(viewer);
            break;
        case kMenuPlayPoses:
            playPoses(viewer);
            break;
        case kMenuReloadArchive:
            reloadShownArchive(viewer);
            break;
        case kMenuNextArchive:
            walkFolder(viewer, +1);
            break;
        case kMenuPreviousArchive:
            walkFolder(viewer, -1);
            break;
        case kMenuSavePicture:
            savePicture(viewer);
            break;
        default:
            break;
    }
}

// A change on disk reloads the archive as F5 does.
void onViewerTimer(ViewerState& viewer, ViewerTimer timer, int value) {
    if (timer == ViewerTimer::Playback) {
        onPlaybackTick(viewer, value);
        return;
    }
    const FollowLook look = lookAtFollowedFile(viewer);
    if (look == FollowLook::Ended) return;
    if (look == FollowLook::Settled) reloadShownArchive(viewer);
    keepLooking(viewer);
}

void onPartCheckbox(ViewerState& viewer, int id) {
    const std::vector<int32_t>& bones = viewer.boneIndices();
    const std::vector<PartMesh*>& parts = viewer.parts();
    if (id < 1 || static_cast<size_t>(id) > bones.size()) return;
    const int32_t k = bones[id - 1];
    if (k < 0 || static_cast<size_t>(k) >= parts.size()) return;
    PartMesh* mesh = parts[k];
    mesh->setVisible(1 - mesh->isVisible());
    redrawMainWindow(viewer);
}

void onRootGroup(ViewerState& viewer, int /*id*/) {
    viewer.selectedBone = viewer.panel.rootGroup->get_int_val();
    redrawMainWindow(viewer);
}

void setAllPartsVisible(ViewerState& viewer, int32_t visible) {
    for (PartMesh* mesh : viewer.parts()) mesh->setVisible(visible);
    for (glui_lite::Checkbox* box : viewer.panel.partCheckboxes) box->set_int_val(visible);
    panelChanged(viewer);
}

void onShowAll(ViewerState& viewer, int /*id*/) {
    setAllPartsVisible(viewer, 1);
    redrawMainWindow(viewer);
}

void onHideAll(ViewerState& viewer, int /*id*/) {
    setAllPartsVisible(viewer, 0);
    redrawMainWindow(viewer);
}

void onUndo(ViewerState& viewer, int /*id*/) {
    stopPlayback(viewer);
    undoEdit(viewer);
}

void onRedo(ViewerState& viewer, int /*id*/) {
    stopPlayback(viewer);
    redoEdit(viewer);
}
