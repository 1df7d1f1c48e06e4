#include "shell/panel_window.h"

#include <GL/freeglut.h>
#include <imgui.h>
#include <imgui_impl_glut.h>
#include <imgui_impl_opengl2.h>
#include <imgui_internal.h>

#include <algorithm>
#include <deque>
#include <vector>

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

// A control clicked during a frame; the click runs after the frame is on screen, so callbacks
// that select another window cannot disturb the panel's drawing.
struct Click {
    Control* control;
    int index;  // the radio button, for groups
};

Window* shownPanel = nullptr;
int panelWindow = 0;
std::deque<MouseEvent> pendingEvents;
std::vector<Click> clicks;
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

// How many rows an item takes in a panel column.
int rowsOf(const Item* item) {
    auto* controlItem = dynamic_cast<const ControlItem*>(item);
    if (!controlItem) return 1;
    if (auto* group = dynamic_cast<const RadioGroup*>(controlItem->control)) {
        return static_cast<int>(group->buttons.size());
    }
    return 1;
}

// Draws row `row` of a control (a radio group has a row per button).
void drawControlRow(Control* control, int row) {
    ImGui::PushID(control);
    ImGui::BeginDisabled(!control->enabled);
    if (auto* checkbox = dynamic_cast<Checkbox*>(control)) {
        bool checked = checkbox->get_int_val() != 0;
        const std::string label = checkbox->name + "##box";
        if (ImGui::Checkbox(label.c_str(), &checked)) clicks.push_back({control, 0});
    } else if (auto* group = dynamic_cast<RadioGroup*>(control)) {
        ImGui::PushID(row);
        if (ImGui::RadioButton(group->buttons[row].c_str(), group->get_int_val() == row)) {
            clicks.push_back({control, row});
        }
        ImGui::PopID();
    } else if (auto* button = dynamic_cast<Button*>(control)) {
        if (ImGui::Button(button->name.c_str())) clicks.push_back({control, 0});
    }
    ImGui::EndDisabled();
    ImGui::PopID();
}

// The rows of one panel column: (control, row within the control) for each line.
std::vector<std::pair<Control*, int>> columnLines(const Column& column) {
    std::vector<std::pair<Control*, int>> lines;
    for (Item* item : column.items) {
        auto* controlItem = dynamic_cast<ControlItem*>(item);
        for (int row = 0; row < rowsOf(item); ++row) {
            lines.emplace_back(controlItem ? controlItem->control : nullptr, row);
        }
    }
    return lines;
}

// A panel's columns side by side, rows aligned, inside a frame with its name on top.
void drawPanel(Panel& panel) {
    ImGui::BeginGroup();
    if (!panel.name.empty()) ImGui::TextUnformatted(panel.name.c_str());
    std::vector<std::vector<std::pair<Control*, int>>> columns;
    size_t rows = 0;
    for (const Column& column : panel.columns) {
        columns.push_back(columnLines(column));
        rows = std::max(rows, columns.back().size());
    }
    ImGuiTableFlags flags = ImGuiTableFlags_SizingFixedFit;
    if (panel.type != PanelNone) flags |= ImGuiTableFlags_BordersOuter;
    ImGui::PushID(&panel);
    if (ImGui::BeginTable("columns", static_cast<int>(columns.size()), flags)) {
        for (size_t row = 0; row < rows; ++row) {
            ImGui::TableNextRow();
            for (size_t c = 0; c < columns.size(); ++c) {
                ImGui::TableSetColumnIndex(static_cast<int>(c));
                if (row < columns[c].size() && columns[c][row].first) {
                    drawControlRow(columns[c][row].first, columns[c][row].second);
                }
            }
        }
        ImGui::EndTable();
    }
    ImGui::PopID();
    ImGui::EndGroup();
}

void drawItem(Item* item) {
    if (auto* panel = dynamic_cast<Panel*>(item)) {
        drawPanel(*panel);
    } else if (auto* controlItem = dynamic_cast<ControlItem*>(item)) {
        for (int row = 0; row < rowsOf(item); ++row) drawControlRow(controlItem->control, row);
    }
}

// Lays out the panel window; returns the size its controls need.
ImVec2 drawPanelWindow(Window& panel) {
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    // No title bar or frame of its own (the GLUT window has them), but a scroll bar when needed.
    const ImGuiWindowFlags flags = (ImGuiWindowFlags_NoDecoration & ~ImGuiWindowFlags_NoScrollbar) |
                                   ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                                   ImGuiWindowFlags_NoBringToFrontOnFocus;
    ImGui::Begin("##panel", nullptr, flags);
    ImVec2 extent(0, 0);
    for (size_t c = 0; c < panel.columns.size(); ++c) {
        const Column& column = panel.columns[c];
        if (c > 0) {
            ImGui::SameLine();
            if (column.barBefore) {
                ImGui::SeparatorEx(ImGuiSeparatorFlags_Vertical);
                ImGui::SameLine();
            }
        }
        ImGui::BeginGroup();
        for (Item* item : column.items) drawItem(item);
        ImGui::EndGroup();
        const ImVec2 max = ImGui::GetItemRectMax();
        extent.x = std::max(extent.x, max.x + ImGui::GetScrollX());
        extent.y = std::max(extent.y, max.y + ImGui::GetScrollY());
    }
    ImGui::End();
    const ImGuiStyle& style = ImGui::GetStyle();
    return ImVec2(extent.x + style.WindowPadding.x, extent.y + style.WindowPadding.y);
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

void applyClicks() {
    std::vector<Click> done;
    done.swap(clicks);
    for (const Click& click : done) {
        if (auto* checkbox = dynamic_cast<Checkbox*>(click.control)) checkbox->click();
        if (auto* group = dynamic_cast<RadioGroup*>(click.control)) group->click(click.index);
        if (auto* button = dynamic_cast<Button*>(click.control)) button->click();
    }
}

void displayPanel() {
    if (!pendingEvents.empty()) {
        feedEvent(pendingEvents.front());
        pendingEvents.pop_front();
    }
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame();
    const ImVec2 wanted = drawPanelWindow(*shownPanel);
    ImGui::Render();
    const ImVec4 background = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
    glClearColor(background.x, background.y, background.z, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glutSwapBuffers();
    fitWindowToControls(wanted);

    const bool clicked = !clicks.empty();
    applyClicks();  // may select another window, or end the process
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
