#pragma once

#include <functional>

#include "shell/menu_edits.h"
#include "shell/shell_platform.h"

class ViewContexts;
struct ViewerState;

// The handlers' window-system calls on GLUT and OpenGL, with the file chooser of file_dialog.
class GlutPlatform : public ShellPlatform {
  public:
    GlutPlatform();
    void setWindow(int window) override;
    void postRedisplay() override;
    void setMenu(int menu) override;
    void changeToMenuEntry(int position, const char* label, int value) override;
    void multiplyProjection(const Matrix4& m) override;
    bool choosePoseFile(bool forSave, std::string& path) override;
    bool chooseExportFile(std::string& path) override;
    bool chooseArchive(std::string& path) override;
    bool chooseFolder(const char* prompt, std::string& path) override;
    int keyModifiers() override;
    void showReplacedModel() override;
    bool choosePoseFiles(std::vector<std::string>& paths) override;
    void startTimer(int milliseconds, ViewerTimer timer, int value) override;
    void setMenuInUse(bool inUse) override;
    double clockSeconds() override;
    int32_t pickBone(int x, int y) override;
    void fitViews() override;
    void resetViewZoom() override;
    bool choosePictureFile(std::string& path) override;
    bool drawViewSheet(std::vector<uint8_t>& rgb, int& width, int& height) override;

    // The views' GL contexts and the state whose windows and model they show (set by start-up).
    ViewContexts* viewContexts = nullptr;
    ViewerState* viewer = nullptr;
    // GLUT's menu status callback, for the platform of the viewer's callbacks.
    static void onMenuStatus(int status, int x, int y);

    // Builds the control panel again and shows it in the panel window (set by start-up).
    std::function<void()> rebuildPanel;

  private:
    int currentMenu_ = 0;
    MenuEdits menuEdits_;
};
