// The control panel's layout from viewer.boneIndices() and the behaviour of its controls.
#include "model/part_mesh.h"
#include "shell/control_panel.h"
#include "shell/glui_lite.h"
#include "shell/handlers.h"
#include "shell/model_replacement.h"
#include "shell_test_support.h"

namespace {

using namespace glui_lite;

int quitStatus = -1;
void recordQuit(int status) {
    quitStatus = status;
}

std::vector<Checkbox*> checkboxesOf(Window& panel) {
    std::vector<Checkbox*> boxes;
    for (auto& control : panel.controls()) {
        if (auto* box = dynamic_cast<Checkbox*>(control.get())) boxes.push_back(box);
    }
    return boxes;
}

class ControlPanelTest : public ShellTest {
  protected:
    void build(int bones) {
        loadBones(bones);
        panel = buildControlPanel(viewer, recordQuit);
    }
    std::unique_ptr<Window> panel;
};

TEST_F(ControlPanelTest, OneCheckBoxAndRadioButtonPerBoneAfterTheRootRow) {
    viewer.shownModelName = modelNameOf("/some/folder/three.bin");
    build(3);
    EXPECT_EQ(viewer.panel.window, panel.get());
    EXPECT_EQ(panel->name, "GLUI");
    EXPECT_EQ(panel->x, 660);
    EXPECT_EQ(panel->y, 370);

    const std::vector<Checkbox*> boxes = checkboxesOf(*panel);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0]->id, -1);
    EXPECT_FALSE(boxes[0]->enabled);
    EXPECT_FALSE(boxes[0]->callback);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(boxes[i]->id, i);
        EXPECT_TRUE(boxes[i]->enabled);
        EXPECT_TRUE(boxes[i]->callback);        // onPartCheckbox, as the clicks below show
        EXPECT_EQ(boxes[i]->get_int_val(), 0);  // parts start hidden
    }

    ASSERT_NE(viewer.panel.rootGroup, nullptr);
    EXPECT_EQ(viewer.panel.rootGroup->buttons,
              (std::vector<std::string>{"root", "  1", "  2", "  3"}));
    EXPECT_EQ(viewer.panel.rootGroup->live, &viewer.selectedBone);
    EXPECT_TRUE(viewer.panel.rootGroup->callback);
    ASSERT_NE(viewer.panel.modeGroup, nullptr);
    EXPECT_EQ(viewer.panel.modeGroup->buttons,
              (std::vector<std::string>{"Rotation", "Translation", "Zoom"}));
    EXPECT_EQ(viewer.panel.modeGroup->live, &viewer.mouseMode);
    EXPECT_FALSE(viewer.panel.modeGroup->callback);

    // Layout: the model's name above the "VisibleSelect" panel (check boxes, then the radio
    // column) | modes and the buttons.
    ASSERT_EQ(panel->columns.size(), 2u);
    EXPECT_TRUE(panel->columns[1].barBefore);
    ASSERT_EQ(panel->columns[0].items.size(), 2u);
    auto* name = dynamic_cast<StaticText*>(panel->columns[0].items[0]->control());
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text, "three.bin");
    auto* visibleSelect = dynamic_cast<Panel*>(panel->columns[0].items[1]);
    ASSERT_NE(visibleSelect, nullptr);
    EXPECT_EQ(visibleSelect->name, "VisibleSelect");
    EXPECT_EQ(visibleSelect->type, PanelEmbossed);
    ASSERT_EQ(visibleSelect->columns.size(), 2u);
    EXPECT_FALSE(visibleSelect->columns[1].barBefore);
    EXPECT_EQ(visibleSelect->columns[0].items.size(), 4u);
    EXPECT_EQ(visibleSelect->columns[1].items.size(), 1u);
    EXPECT_EQ(panel->columns[1].items.size(), 7u);  // modes, five buttons, the playback line
}

TEST_F(ControlPanelTest, WithoutBonesOnlyTheRootRowRemains) {
    panel = buildControlPanel(viewer, recordQuit);
    EXPECT_EQ(checkboxesOf(*panel).size(), 1u);
    EXPECT_EQ(viewer.panel.rootGroup->buttons, (std::vector<std::string>{"root"}));
}

TEST_F(ControlPanelTest, RadioLabelsAreRightAlignedInThreeCharacters) {
    EXPECT_EQ(boneRadioLabel(7), "  7");
    EXPECT_EQ(boneRadioLabel(12), " 12");
    EXPECT_EQ(boneRadioLabel(123), " 123");
}

TEST_F(ControlPanelTest, CheckBoxFlipsItsPartAndClickedTwiceHidesItAgain) {
    build(3);
    Checkbox* box = checkboxesOf(*panel)[2];
    box->click();
    EXPECT_EQ(viewer.parts()[1]->isVisible(), 1);
    EXPECT_EQ(box->get_int_val(), 1);
    EXPECT_EQ(viewer.parts()[0]->isVisible(), 0);
    EXPECT_EQ(viewer.parts()[2]->isVisible(), 0);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"setWindow 11", "postRedisplay"}));
    box->click();
    EXPECT_EQ(viewer.parts()[1]->isVisible(), 0);
    EXPECT_EQ(box->get_int_val(), 0);
}

TEST_F(ControlPanelTest, GreyedRootCheckBoxIgnoresClicks) {
    build(1);
    checkboxesOf(*panel)[0]->click();
    EXPECT_EQ(viewer.parts()[0]->isVisible(), 0);
    EXPECT_TRUE(platform.calls.empty());
}

TEST_F(ControlPanelTest, CheckBoxCallbackIgnoresIdsOutsideTheBoneList) {
    build(2);
    for (int id : {0, -1, 3, 1000}) onPartCheckbox(viewer, id);
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ(viewer.parts()[0]->isVisible(), 0);
    EXPECT_EQ(viewer.parts()[1]->isVisible(), 0);
}

TEST_F(ControlPanelTest, RadioButtonSelectsTheBoneAndRedrawsTheMainWindow) {
    build(3);
    viewer.panel.rootGroup->click(2);
    EXPECT_EQ(viewer.selectedBone, 2);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"setWindow 11", "postRedisplay"}));
    viewer.panel.rootGroup->click(0);
    EXPECT_EQ(viewer.selectedBone, 0);
    viewer.panel.rootGroup->click(4);  // no such button
    EXPECT_EQ(viewer.selectedBone, 0);
    EXPECT_EQ(platform.calls.size(), 4u);
}

TEST_F(ControlPanelTest, ModeGroupWritesTheModeWithoutCallbackOrRedraw) {
    build(1);
    viewer.panel.modeGroup->click(2);
    EXPECT_EQ(viewer.mouseMode, MouseModeZoom);
    EXPECT_TRUE(platform.calls.empty());
}

TEST_F(ControlPanelTest, ControlsKeepTheirValueUntilSyncLive) {
    build(1);
    int redraws = 0;
    panel->onChanged = [&] { ++redraws; };
    viewer.mouseMode = MouseModeTranslation;
    viewer.selectedBone = 1;
    EXPECT_EQ(viewer.panel.modeGroup->get_int_val(), 0);
    EXPECT_EQ(viewer.panel.rootGroup->get_int_val(), 0);
    panel->sync_live();
    EXPECT_EQ(viewer.panel.modeGroup->get_int_val(), MouseModeTranslation);
    EXPECT_EQ(viewer.panel.rootGroup->get_int_val(), 1);
    EXPECT_EQ(redraws, 1);
}

TEST_F(ControlPanelTest, QuitCallsItsCallbackWithStatusZeroTheOtherButtonsFollowIt) {
    build(1);
    std::vector<std::string> names;
    for (auto& control : panel->controls()) {
        if (auto* button = dynamic_cast<Button*>(control.get())) {
            names.push_back(button->name);
            if (button->name == "Quit") button->click();
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Quit", "Show all", "Hide all", "Undo", "Redo"}));
    EXPECT_EQ(quitStatus, 0);
}

}  // namespace
