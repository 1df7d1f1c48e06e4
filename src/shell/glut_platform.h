#pragma once

#include <functional>

#include "shell/shell_platform.h"

class ViewContexts;

// The handlers' window-system calls on GLUT and OpenGL, with the file chooser of file_dialog.
class GlutPlatform : public ShellPlatform {
  public:
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
    void startTimer(int milliseconds, int value) override;
    double clockSeconds() override;

    // The views' GL contexts (set by start-up).
    ViewContexts* viewContexts = nullptr;
    // Builds the control panel again and shows it in the panel window (set by start-up).
    std::function<void()> rebuildPanel;
};
