#pragma once

#include <deque>

#include "shell/glui_lite.h"
#include "shell/panel_drawing.h"

// The GLUT window that shows a control panel: titled with its name, placed at its x and y, sized
// to its controls (scrolling when they do not fit the screen), drawn with Dear ImGui. Clicks in
// it reach the controls' click(); keys typed into it stay in it. The window finds this object
// through GLUT's window data, so it must outlive the window.
class PanelWindow {
  public:
    explicit PanelWindow(glui_lite::Window& panel);
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    int id() const { return id_; }
    // Shows another panel in the same window from the next frame on.
    void show(glui_lite::Window& panel);

  private:
    // A mouse event waiting for its frame (see queueEvent).
    struct MouseEvent {
        enum Kind { Move, Button, Wheel } kind;
        int button;  // Dear ImGui's numbering; the wheel's direction for Wheel
        bool down;
        int x, y;
    };

    static PanelWindow& current();
    static void onDisplay();
    static void onReshape(int width, int height);
    static void onMouse(int glutButton, int state, int x, int y);
    static void onMotion(int x, int y);
    static void onEntry(int state);
    static void onWheel(int wheel, int direction, int x, int y);
    static void onKey(unsigned char key, int x, int y);
    static void onKeyUp(unsigned char key, int x, int y);
    static void onSpecial(int key, int x, int y);
    static void onSpecialUp(int key, int x, int y);

    void postRedisplay() const;
    void queueEvent(const MouseEvent& event);
    void display();
    void fitWindowToControls(const ImVec2& wanted) const;

    glui_lite::Window* panel_;
    int id_ = 0;
    std::deque<MouseEvent> pendingEvents_;
    PanelDrawer drawer_;
    // Frames still to draw after a resize: Dear ImGui decides on scroll bars from the size of the
    // frame before, so the layout settles one frame after the window has its size.
    int settleFrames_ = 0;
};
