#include "shell/panel_window.h"

#include <GL/freeglut.h>
#include <imgui.h>
#include <imgui_impl_glut.h>
#include <imgui_impl_opengl2.h>

#include <algorithm>

using namespace glui_lite;

PanelWindow::PanelWindow(Window& panel) : panel_(&panel) {
    glutInitWindowPosition(panel.x, panel.y);
    glutInitWindowSize(200, 200);
    id_ = glutCreateWindow(panel.name.c_str());
    glutSetWindowData(this);

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // the viewer writes no files but pose files
    io.LogFilename = nullptr;
    ImGui::StyleColorsLight();
    PanelDrawer::addEllipsisGlyph();
    ImGui_ImplGLUT_Init();
    ImGui_ImplOpenGL2_Init();

    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    glutPassiveMotionFunc(onMotion);
    glutMouseWheelFunc(onWheel);
    glutEntryFunc(onEntry);
    glutKeyboardFunc(onKey);
    glutKeyboardUpFunc(onKeyUp);
    glutSpecialFunc(onSpecial);
    glutSpecialUpFunc(onSpecialUp);
    show(panel);
}

void PanelWindow::show(Window& panel) {
    panel_ = &panel;
    drawer_.forgetLayout();
    panel.onChanged = [this] { postRedisplay(); };
    // Dear ImGui sizes a new panel's columns over its first frames; a panel of the same size
    // as the last gets no reshape to ask for them.
    settleFrames_ = 2;
    postRedisplay();
}

PanelWindow& PanelWindow::current() {
    return *static_cast<PanelWindow*>(glutGetWindowData());
}

void PanelWindow::postRedisplay() const {
    glutPostWindowRedisplay(id_);
}

// The installed Dear ImGui (1.86) has no input queue: it reads the button state once per frame,
// so a press and a release that arrive together would cancel out. Each button event therefore
// waits for a frame of its own.
void PanelWindow::queueEvent(const MouseEvent& event) {
    // Consecutive moves only matter for their last position.
    if (event.kind == MouseEvent::Move && !pendingEvents_.empty() &&
        pendingEvents_.back().kind == MouseEvent::Move) {
        pendingEvents_.back() = event;
    } else {
        pendingEvents_.push_back(event);
    }
    postRedisplay();
}

void PanelWindow::onMouse(int glutButton, int state, int x, int y) {
    int button = -1;
    if (glutButton == GLUT_LEFT_BUTTON) button = 0;
    if (glutButton == GLUT_RIGHT_BUTTON) button = 1;
    if (glutButton == GLUT_MIDDLE_BUTTON) button = 2;
    if (glutButton == 3 || glutButton == 4) {  // wheel reported as buttons
        if (state == GLUT_DOWN) {
            current().queueEvent({MouseEvent::Wheel, glutButton == 3 ? 1 : -1, false, x, y});
        }
        return;
    }
    if (button < 0) return;
    current().queueEvent({MouseEvent::Button, button, state == GLUT_DOWN, x, y});
}

void PanelWindow::onMotion(int x, int y) {
    current().queueEvent({MouseEvent::Move, 0, false, x, y});
}

// When the pointer leaves, nothing in the panel stays highlighted as if under it.
void PanelWindow::onEntry(int state) {
    if (state == GLUT_LEFT) current().queueEvent({MouseEvent::Move, 0, false, -100000, -100000});
}

void PanelWindow::onWheel(int /*wheel*/, int direction, int x, int y) {
    current().queueEvent({MouseEvent::Wheel, direction, false, x, y});
}

void PanelWindow::onKey(unsigned char key, int x, int y) {
    ImGui_ImplGLUT_KeyboardFunc(key, x, y);
    current().postRedisplay();
}
void PanelWindow::onKeyUp(unsigned char key, int x, int y) {
    ImGui_ImplGLUT_KeyboardUpFunc(key, x, y);
    current().postRedisplay();
}
void PanelWindow::onSpecial(int key, int x, int y) {
    ImGui_ImplGLUT_SpecialFunc(key, x, y);
    current().postRedisplay();
}
void PanelWindow::onSpecialUp(int key, int x, int y) {
    ImGui_ImplGLUT_SpecialUpFunc(key, x, y);
    current().postRedisplay();
}

void PanelWindow::onReshape(int width, int height) {
    ImGui_ImplGLUT_ReshapeFunc(width, height);
    PanelWindow& window = current();
    window.settleFrames_ = 2;
    window.postRedisplay();
}

// Sizes the window to its controls, as far as the screen allows; beyond that it scrolls.
void PanelWindow::fitWindowToControls(const ImVec2& wanted) const {
    const int maxWidth = std::max(100, glutGet(GLUT_SCREEN_WIDTH) - panel_->x);
    const int maxHeight = std::max(100, glutGet(GLUT_SCREEN_HEIGHT) - panel_->y - 30);
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

void PanelWindow::onDisplay() {
    current().display();
}

void PanelWindow::display() {
    if (!pendingEvents_.empty()) {
        const MouseEvent& event = pendingEvents_.front();
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2(static_cast<float>(event.x), static_cast<float>(event.y));
        if (event.kind == MouseEvent::Button) io.MouseDown[event.button] = event.down;
        if (event.kind == MouseEvent::Wheel) io.MouseWheel += event.button > 0 ? 1.0f : -1.0f;
        pendingEvents_.pop_front();
    }
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame();
    const ImVec2 wanted = drawer_.drawFrame(*panel_);
    ImGui::Render();
    const ImVec4 background = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
    glClearColor(background.x, background.y, background.z, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glutSwapBuffers();
    fitWindowToControls(wanted);

    // The clicks run once the frame is on screen: their callbacks may select another window,
    // or end the process.
    const bool clicked = drawer_.applyClicks();
    if (settleFrames_ > 0) --settleFrames_;
    if (clicked || !pendingEvents_.empty() || settleFrames_ > 0 || drawer_.tooltipAppearing()) {
        postRedisplay();
    }
}
