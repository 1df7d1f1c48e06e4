#include "shell/panel_drawing.h"

#include <imgui_internal.h>

#include <algorithm>

using namespace glui_lite;

bool PanelDrawer::checkbox(const std::string& label, bool checked) {
    const std::string id = label + "##box";
    return ImGui::Checkbox(id.c_str(), &checked);
}

bool PanelDrawer::radioButton(const std::string& label, bool selected) {
    return ImGui::RadioButton(label.c_str(), selected);
}

bool PanelDrawer::button(const std::string& label) {
    return ImGui::Button(label.c_str());
}

void PanelDrawer::text(const std::string& text) {
    ImGui::TextUnformatted(text.c_str());
}

void PanelDrawer::controlRow(Control& control, int row) {
    ImGui::PushID(&control);
    ImGui::PushID(row);
    ImGui::BeginDisabled(!control.enabled);
    if (control.drawRow(row, *this)) clicks_.push_back({&control, row});
    ImGui::EndDisabled();
    ImGui::PopID();
    ImGui::PopID();
}

const std::vector<PanelDrawer::Lines>& PanelDrawer::columnsOf(const Panel& panel) {
    auto& columns = linesOf_[&panel];
    if (columns.size() != panel.columns.size()) {
        columns.clear();
        for (const Column& column : panel.columns) {
            Lines& lines = columns.emplace_back();
            for (const Item* item : column.items) {
                for (int row = 0; row < item->rowCount(); ++row) {
                    lines.emplace_back(item->control(), row);
                }
            }
        }
    }
    return columns;
}

// A panel's columns side by side, rows aligned, inside a frame with its name on top.
void PanelDrawer::panel(Panel& panel) {
    ImGui::BeginGroup();
    if (!panel.name.empty()) ImGui::TextUnformatted(panel.name.c_str());
    const std::vector<Lines>& columns = columnsOf(panel);
    size_t rows = 0;
    for (const Lines& lines : columns) rows = std::max(rows, lines.size());
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
                    const Lines& lines = columns[c];
                    if (static_cast<size_t>(row) < lines.size() && lines[row].first) {
                        controlRow(*lines[row].first, lines[row].second);
                    }
                }
            }
        }
        ImGui::EndTable();
    }
    ImGui::PopID();
    ImGui::EndGroup();
}

ImVec2 PanelDrawer::drawFrame(Window& panel) {
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
        for (Item* item : column.items) item->draw(*this);
        ImGui::EndGroup();
        const ImVec2 max = ImGui::GetItemRectMax();
        extent.x = std::max(extent.x, max.x + ImGui::GetScrollX());
        extent.y = std::max(extent.y, max.y + ImGui::GetScrollY());
    }
    ImGui::End();
    const ImGuiStyle& style = ImGui::GetStyle();
    return ImVec2(extent.x + style.WindowPadding.x, extent.y + style.WindowPadding.y);
}

bool PanelDrawer::applyClicks() {
    std::vector<Click> done;
    done.swap(clicks_);  // a callback may draw nothing, but must not see its own click again
    for (const Click& click : done) click.control->clickRow(click.row);
    return !done.empty();
}
