#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/matrix.h"

// The viewer's timers; a tick comes back to onViewerTimer (handlers.h) with its value.
enum class ViewerTimer { Playback, FollowLook };

// The window-system calls the input handlers make. The viewer runs them on GLUT and OpenGL;
// tests substitute a recorder, so the handlers run without a display.
class ShellPlatform {
  public:
    virtual ~ShellPlatform() = default;

    virtual void setWindow(int window) = 0;
    virtual void postRedisplay() = 0;  // for the current window
    virtual void setMenu(int menu) = 0;
    virtual void changeToMenuEntry(int position, const char* label, int value) = 0;
    // Multiplies the current window's projection matrix by m on the right and leaves the
    // modelview matrix selected.
    virtual void multiplyProjection(const Matrix4& m) = 0;
    // Asks the user for a pose file path; false when the user cancelled.
    virtual bool choosePoseFile(bool forSave, std::string& path) = 0;
    // Asks the user for a model archive with the open dialog; false when cancelled.
    virtual bool chooseArchive(std::string& path) = 0;
    // The Shift (1), Ctrl (2) and Alt (4) keys held at the key event being handled.
    virtual int keyModifiers() = 0;
    // Another document is shown: every view prepares its model, the control panel is built
    // again for its bones, and the views redraw.
    virtual void showReplacedModel() = 0;
    // Asks for the file an export writes (.glb or .gltf); false when the user cancelled.
    virtual bool chooseExportFile(std::string& path) = 0;
    // Asks for a folder to write into; false when the user cancelled.
    virtual bool chooseFolder(const char* prompt, std::string& path) = 0;

    // "Play poses": asks for several pose files, in order; false when none was chosen.
    virtual bool choosePoseFiles(std::vector<std::string>& /*paths*/) { return false; }
    // Calls onViewerTimer(timer, value) once, milliseconds from now, on the handlers' thread.
    virtual void startTimer(int /*milliseconds*/, ViewerTimer /*timer*/, int /*value*/) {}
    // Whether a popup menu is open (GLUT's menu status): menu entries change only while none is.
    virtual void setMenuInUse(bool /*inUse*/) {}
    // A steady clock, in seconds.
    virtual double clockSeconds() { return 0.0; }
    // The bone whose part the main view shows on top at window pixel (x, y) (GLUT's
    // coordinates, y down), or -1 for the background.
    virtual int32_t pickBone(int x, int y) = 0;
    // Every view's zoom set so that the shown parts fit it, or back to the start-up zoom; the
    // views redraw.
    virtual void fitViews() = 0;
    // "Save picture": asks for the PNG to write; false when the user cancelled.
    virtual bool choosePictureFile(std::string& /*path*/) { return false; }
    // The three views drawn as the windows show them now, laid out as the --render sheet: RGB,
    // top row first. false when there is nothing to draw.
    virtual bool drawViewSheet(std::vector<uint8_t>& /*rgb*/, int& /*width*/, int& /*height*/) {
        return false;
    }
    virtual void resetViewZoom() = 0;
};
