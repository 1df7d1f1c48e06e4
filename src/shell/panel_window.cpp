#include "shell/panel_window.h"

#include <GL/freeglut.h>
#include <imgui.h>
#include <imgui_impl_glut.h>
#include <imgui_impl_opengl2.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "shell/panel_drawing.h"

using namespace glui_lite;

namespace {

// A mouse event waiting for its frame. Dear ImGui reads the button state once per frame, so a
// press and a release that arrive together would cancel out unless each gets a frame of its own.
struct MouseEvent {
    enum Kind { Move, Button, Wheel } kind;
    int button;  // ImGui's numbering; the wheel's direction for Wheel
    bool down;
    int x, y;
};

Window* shownPanel = nullptr;
int panelWindow = 0;
std::deque<MouseEvent> pendingEvents;
std::vector<PanelClick> clicks;
// Frames still to draw after a resize: Dear ImGui decides on scroll bars from the size of the
// frame before, so the layout settles one frame after the window has its size.
int settleFrames = 0;

void postPanelRedisplay() {
    glutPostWindowRedisplay(panelWindow);
}

void queueEvent(const MouseEvent& event) {
    // Consecutive moves only matter for their last position.
    if (event.kind == MouseEvent::Move && !pendingEvents.empty() &&
        pendingEvents.back().kind == MouseEvent::Move) {
        pendingEvents.back() = event;
    } else {
        pendingEvents.push_back(event);
    }
    postPanelRedisplay();
}

void feedEvent(const MouseEvent& event) {
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(static_cast<float>(event.x), static_cast<float>(event.y));
    if (event.kind == MouseEvent::Button) io.MouseDown[event.button] = event.down;
    if (event.kind == MouseEvent::Wheel) io.MouseWheel += event.button > 0 ? 1.0f : -1.0f;
}

void onPanelMouse(int glutButton, int state, int x, int y) {
    int button = -1;
    if (glutButton == GLUT_LEFT_BUTTON) button = 0;
    if (glutButton == GLUT_RIGHT_BUTTON) button = 1;
    if (glutButton == GLUT_MIDDLE_BUTTON) button = 2;
    if (glutButton == 3 || glutButton == 4) {  // wheel reported as buttons
        if (state == GLUT_DOWN)
            queueEvent({MouseEvent::Wheel, glutButton == 3 ? 1 : -1, false, x, y});
        return;
    }
    if (button < 0) return;
    queueEvent({MouseEvent::Button, button, state == GLUT_DOWN, x, y});
}

void onPanelMotion(int x, int y) {
    queueEvent({MouseEvent::Move, 0, false, x, y});
}

// When the pointer leaves, nothing in the panel stays highlighted as if under it.
void onPanelEntry(int state) {
    if (state == GLUT_LEFT) queueEvent({MouseEvent::Move, 0, false, -100000, -100000});
}

void onPanelWheel(int /*wheel*/, int direction, int x, int y) {
    queueEvent({MouseEvent::Wheel, direction, false, x, y});
}

void onPanelKey(unsigned char key, int x, int y) {
    ImGui_ImplGLUT_KeyboardFunc(key, x, y);
    postPanelRedisplay();
}
void onPanelKeyUp(unsigned char key, int x, int y) {
    ImGui_ImplGLUT_KeyboardUpFunc(key, x, y);
    postPanelRedisplay();
}
void onPanelSpecial(int key, int x, int y) {
    ImGui_ImplGLUT_SpecialFunc(key, x, y);
    postPanelRedisplay();
}
void onPanelSpecialUp(int key, int x, int y) {
    ImGui_ImplGLUT_SpecialUpFunc(key, x, y);
    postPanelRedisplay();
}

void onPanelReshape(int width, int height) {
    ImGui_ImplGLUT_ReshapeFunc(width, height);
    settleFrames = 2;
    postPanelRedisplay();
}

// Sizes the window to its controls, as far as the screen allows; beyond that it scrolls.
void fitWindowToControls(const ImVec2& wanted) {
    const int maxWidth = std::max(100, glutGet(GLUT_SCREEN_WIDTH) - shownPanel->x);
    const int maxHeight = std::max(100, glutGet(GLUT_SCREEN_HEIGHT) - shownPanel->y - 30);
    int width = static_cast<int>(wanted.x + 0.5f);
    int height = static_cast<int>(wanted.y + 0.5f);
    if (height > maxHeight) {
        height = maxHeight;
        width += static_cast<int>(ImGui::GetStyle().ScrollbarSize);
    }
    width = std::min(width, maxWidth);
    if (width != glutGet(GLUT_WINDOW_WIDTH) || height != glutGet(GLUT_WINDOW_HEIGHT)) {
        glutReshapeWindow(width, height);
    }
}

void displayPanel() {
    if (!pendingEvents.empty()) {
        feedEvent(pendingEvents.front());
        pendingEvents.pop_front();
    }
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame();
    const ImVec2 wanted = drawPanelWindow(*shownPanel, clicks);
    ImGui::Render();
    const ImVec4 background = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
    glClearColor(background.x, background.y, background.z, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glutSwapBuffers();
    fitWindowToControls(wanted);

    // The clicks run once the frame is on screen: their callbacks may select another window,
    // or end the process.
    const bool clicked = !clicks.empty();
    std::vector<PanelClick> done;
    done.swap(clicks);
    applyPanelClicks(done);
    if (settleFrames > 0) --settleFrames;
    if (clicked || !pendingEvents.empty() || settleFrames > 0) postPanelRedisplay();
}

}  // namespace

int openPanelWindow(Window& panel) {
    shownPanel = &panel;
    glutInitWindowPosition(panel.x, panel.y);
    glutInitWindowSize(200, 200);
    panelWindow = glutCreateWindow(panel.name.c_str());

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // the viewer writes no files but pose files
    io.LogFilename = nullptr;
    ImGui::StyleColorsLight();
    ImGui_ImplGLUT_Init();
    ImGui_ImplOpenGL2_Init();

    glutDisplayFunc(displayPanel);
    glutReshapeFunc(onPanelReshape);
    glutMouseFunc(onPanelMouse);
    glutMotionFunc(onPanelMotion);
    glutPassiveMotionFunc(onPanelMotion);
    glutMouseWheelFunc(onPanelWheel);
    glutEntryFunc(onPanelEntry);
    glutKeyboardFunc(onPanelKey);
    glutKeyboardUpFunc(onPanelKeyUp);
    glutSpecialFunc(onPanelSpecial);
    glutSpecialUpFunc(onPanelSpecialUp);

    panel.onChanged = postPanelRedisplay;
    return panelWindow;
}
