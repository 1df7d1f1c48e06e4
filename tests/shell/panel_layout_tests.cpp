// The control panel laid out by Dear ImGui without a window: no control overlaps another.
#include <imgui.h>

#include "shell/control_panel.h"
#include "shell/panel_drawing.h"
#include "shell_test_support.h"

namespace {

void noQuit(int) {}

bool overlap(const PanelDrawer::Drawn& a, const PanelDrawer::Drawn& b) {
    return a.min.x < b.max.x && b.min.x < a.max.x && a.min.y < b.max.y && b.min.y < a.max.y;
}

bool inside(const PanelDrawer::Drawn& row, const PanelDrawer::Drawn& frame) {
    return row.min.x >= frame.min.x && row.max.x <= frame.max.x && row.min.y >= frame.min.y &&
           row.max.y <= frame.max.y;
}

class PanelLayoutTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ImGui::CreateContext();
        PanelDrawer::addEllipsisGlyph();
        ImGui::StyleColorsLight();
    }
    void TearDown() override {
        ImGui::DestroyContext();
        ShellTest::TearDown();
    }
    // Lays the panel out as the window's second frame does, when the layout has settled.
    std::vector<PanelDrawer::Drawn> layOut(glui_lite::Window& panel) {
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(600, 1000);
        io.DeltaTime = 1.0f / 60;
        drawer.forgetLayout();  // as the window does for each panel it shows
        for (int frame = 0; frame < 2; ++frame) {
            ImGui::NewFrame();
            drawer.drawFrame(panel);
            ImGui::EndFrame();
        }
        return drawer.drawn();
    }
    PanelDrawer drawer;
};

TEST_F(PanelLayoutTest, NoControlOverlapsAnotherAtAnyBoneCountOrNameLength) {
    const std::string longName = "a model archive with a rather long file name of a knight.bin";
    for (int bones : {0, 1, 14, 200}) {
        for (const std::string& name : {std::string("model.bin"), longName}) {
            SCOPED_TRACE(std::to_string(bones) + " bones, " + name);
            resetModelState();
            if (bones > 0) loadBones(bones);
            viewer.shownModelName = name;
            auto panel = buildControlPanel(viewer, noQuit);
            const auto drawn = layOut(*panel);
            const PanelDrawer::Drawn* frame = nullptr;
            for (const auto& item : drawn) {
                if (!item.control) frame = &item;
            }
            ASSERT_NE(frame, nullptr);
            size_t rowsInFrame = 0;
            for (size_t i = 0; i < drawn.size(); ++i) {
                if (drawn[i].panel && drawn[i].control) {
                    EXPECT_TRUE(inside(drawn[i], *frame)) << "row " << i;
                    ++rowsInFrame;
                    continue;
                }
                if (!drawn[i].control) continue;
                EXPECT_FALSE(overlap(drawn[i], *frame)) << "control " << i << " and the frame";
                for (size_t j = i + 1; j < drawn.size(); ++j) {
                    if (!drawn[j].panel) {
                        EXPECT_FALSE(overlap(drawn[i], drawn[j])) << i << ", " << j;
                    }
                }
            }
            // Every row of a short panel is laid out; a long one only those in view.
            EXPECT_GE(rowsInFrame, std::min(2 * (bones + 1), 80));
            const auto& nameLine = drawn.front();
            EXPECT_LE(nameLine.max.x - nameLine.min.x, PanelDrawer::kMaxTextWidth);
        }
    }
}

}  // namespace
