#include "shell/panel_drawing.h"

#include <imgui_internal.h>

#include <algorithm>
#include <map>

using namespace glui_lite;

namespace {

// Where the clicks of the frame being drawn go.
std::vector<PanelClick>* clicks = nullptr;

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
        if (ImGui::Checkbox(label.c_str(), &checked)) clicks->push_back({control, 0});
    } else if (auto* group = dynamic_cast<RadioGroup*>(control)) {
        ImGui::PushID(row);
        if (ImGui::RadioButton(group->buttons[row].c_str(), group->get_int_val() == row)) {
            clicks->push_back({control, row});
        }
        ImGui::PopID();
    } else if (auto* button = dynamic_cast<Button*>(control)) {
        if (ImGui::Button(button->name.c_str())) clicks->push_back({control, 0});
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
    // The lines are worked out once: a panel does not change after it is shown.
    static std::map<const Panel*, std::vector<std::vector<std::pair<Control*, int>>>> linesOf;
    auto& columns = linesOf[&panel];
    if (columns.size() != panel.columns.size()) {
        columns.clear();
        for (const Column& column : panel.columns) columns.push_back(columnLines(column));
    }
    size_t rows = 0;
    for (const auto& lines : columns) rows = std::max(rows, lines.size());
    ImGuiTableFlags flags = ImGuiTableFlags_SizingFixedFit;
    if (panel.type != PanelNone) flags |= ImGuiTableFlags_BordersOuter;
    ImGui::PushID(&panel);
    if (ImGui::BeginTable("columns", static_cast<int>(columns.size()), flags)) {
        // Only the rows in view are laid out, so a panel of thousands of bones stays quick.
        ImGuiListClipper clipper;
        clipper.Begin(static_cast<int>(rows));
        while (clipper.Step()) {
            for (int row = clipper.DisplayStart; row < clipper.DisplayEnd; ++row) {
                ImGui::TableNextRow();
                for (size_t c = 0; c < columns.size(); ++c) {
                    ImGui::TableSetColumnIndex(static_cast<int>(c));
                    const auto& lines = columns[c];
                    if (static_cast<size_t>(row) < lines.size() && lines[row].first) {
                        drawControlRow(lines[row].first, lines[row].second);
                    }
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

}  // namespace

// Lays out the panel window; returns the size its controls need.
ImVec2 drawPanelWindow(Window& panel, std::vector<PanelClick>& frameClicks) {
    clicks = &frameClicks;
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

void applyPanelClicks(const std::vector<PanelClick>& done) {
    for (const PanelClick& click : done) {
        if (auto* checkbox = dynamic_cast<Checkbox*>(click.control)) checkbox->click();
        if (auto* group = dynamic_cast<RadioGroup*>(click.control)) group->click(click.index);
        if (auto* button = dynamic_cast<Button*>(click.control)) button->click();
    }
}
