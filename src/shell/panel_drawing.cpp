#include "shell/panel_drawing.h"

#include <imgui_internal.h>

#include <algorithm>

#include "shell/text_shortening.h"

using namespace glui_lite;

namespace {

constexpr ImWchar kEllipsis = 0x2026;
// Three dots on the baseline of the default font (ProggyClean, 13 pixels): 7 wide, as a letter.
constexpr int kGlyphWidth = 7, kGlyphHeight = 13, kBaselineRow = 10;

}  // namespace

void PanelDrawer::addEllipsisGlyph() {
    ImFontAtlas& atlas = *ImGui::GetIO().Fonts;
    ImFont* font = atlas.Fonts.empty() ? atlas.AddFontDefault() : atlas.Fonts[0];
    const int rect = atlas.AddCustomRectFontGlyph(font, kEllipsis, kGlyphWidth, kGlyphHeight,
                                                  static_cast<float>(kGlyphWidth));
    atlas.Build();
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    atlas.GetTexDataAsRGBA32(&pixels, &width, &height);
    const ImFontAtlasCustomRect& place = *atlas.GetCustomRectByIndex(rect);
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < kGlyphWidth; ++x) {
            const bool dot = y == kBaselineRow && (x == 1 || x == 3 || x == 5);
            auto* texel = reinterpret_cast<ImU32*>(pixels) + (place.Y + y) * width + place.X + x;
            *texel = dot ? IM_COL32_WHITE : IM_COL32(255, 255, 255, 0);
        }
    }
}

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

void PanelDrawer::text(const std::string& text, const std::string& tooltip) {
    Shortened& line = shortened_[drawingControl_];
    if (line.shown.empty() || line.text != text) {
        line = {text, shortenInMiddle(text, kMaxTextWidth, [](const std::string& candidate) {
                    return ImGui::CalcTextSize(candidate.c_str()).x;
                })};
    }
    ImGui::TextUnformatted(line.shown.c_str());
    if (tooltip.empty() || !ImGui::IsItemHovered()) return;
    // Wrapped to the panel window, which a tooltip cannot leave.
    ImGui::BeginTooltip();
    ImGui::PushTextWrapPos(ImGui::GetIO().DisplaySize.x - 2 * ImGui::GetStyle().WindowPadding.x);
    ImGui::TextUnformatted(tooltip.c_str());
    ImGui::PopTextWrapPos();
    ImGui::EndTooltip();
    tooltipShown_ = true;
}

void PanelDrawer::controlRow(Control& control, int row) {
    ImGui::PushID(&control);
    ImGui::PushID(row);
    ImGui::BeginDisabled(!control.enabled);
    drawingControl_ = &control;
    if (control.drawRow(row, *this)) clicks_.push_back({&control, row});
    drawingControl_ = nullptr;
    drawn_.push_back({&control, drawingPanel_, ImGui::GetItemRectMin(), ImGui::GetItemRectMax()});
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
    // As wide as its columns: a table otherwise reaches to the window's edge, across the columns
    // beside it.
    ImGuiTableFlags flags = ImGuiTableFlags_SizingFixedFit | ImGuiTableFlags_NoHostExtendX;
    if (panel.type != PanelNone) flags |= ImGuiTableFlags_BordersOuter;
    ImGui::PushID(&panel);
    drawingPanel_ = &panel;
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
        drawn_.push_back({nullptr, &panel, ImGui::GetItemRectMin(), ImGui::GetItemRectMax()});
    }
    drawingPanel_ = nullptr;
    ImGui::PopID();
    ImGui::EndGroup();
}

ImVec2 PanelDrawer::drawFrame(Window& panel) {
    drawn_.clear();
    tooltipShownBefore_ = tooltipShown_;
    tooltipShown_ = false;
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
