#pragma once

#include <imgui.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "shell/glui_lite.h"

// Draws a control panel into the current Dear ImGui frame and keeps the controls clicked in it.
//
// The clicks wait until the frame is on screen: their callbacks may select another window or end
// the process, which must not happen halfway through a Dear ImGui frame.
class PanelDrawer : public glui_lite::Painter {
  public:
    // The widest a line of text is drawn; a longer one is shortened in the middle.
    static constexpr float kMaxTextWidth = 160.0f;

    // Adds the "…" the shortened lines need to the font atlas of the current Dear ImGui context,
    // whose default font lacks it. Call before the atlas is first built.
    static void addEllipsisGlyph();

    // Lays out the panel's columns and controls, filling the whole display and scrolling when it
    // is too small. Returns the size the controls need.
    ImVec2 drawFrame(glui_lite::Window& panel);
    // Runs the clicks of the last frame on their controls; false when there were none.
    bool applyClicks();
    // Where the last frame drew each control row and each panel's frame, in window pixels.
    struct Drawn {
        const glui_lite::Control* control;  // null for a panel's frame
        const glui_lite::Panel* panel;      // the panel the row or frame belongs to, else null
        ImVec2 min, max;
    };
    const std::vector<Drawn>& drawn() const { return drawn_; }
    // Dear ImGui shows a new tooltip one frame after it is asked for.
    bool tooltipAppearing() const { return tooltipShown_ && !tooltipShownBefore_; }

    // Drops the layout worked out for the panels drawn so far, before another panel is shown.
    void forgetLayout() {
        linesOf_.clear();
        shortened_.clear();
    }

    bool checkbox(const std::string& label, bool checked) override;
    bool radioButton(const std::string& label, bool selected) override;
    bool button(const std::string& label) override;
    void text(const std::string& text, const std::string& tooltip) override;
    void controlRow(glui_lite::Control& control, int row) override;
    void panel(glui_lite::Panel& panel) override;

  private:
    // The lines of one panel column: (control, row within the control), none for a panel line.
    using Lines = std::vector<std::pair<glui_lite::Control*, int>>;
    const std::vector<Lines>& columnsOf(const glui_lite::Panel& panel);

    struct Click {
        glui_lite::Control* control;
        int row;
    };
    std::vector<Click> clicks_;
    std::vector<Drawn> drawn_;
    const glui_lite::Panel* drawingPanel_ = nullptr;
    bool tooltipShown_ = false, tooltipShownBefore_ = false;
    // Worked out once per panel: a panel does not change after it is shown.
    std::map<const glui_lite::Panel*, std::vector<Lines>> linesOf_;
    // Each control's last text and how it was shown, so that a text that stays the same is not
    // shortened again every frame.
    struct Shortened {
        std::string text, shown;
    };
    std::map<const glui_lite::Control*, Shortened> shortened_;
    const glui_lite::Control* drawingControl_ = nullptr;
};
