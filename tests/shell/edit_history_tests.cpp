// Undo and redo of bone edits, "Reset pose", "Show all" and "Hide all", and "Open archive".
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "console/console.h"
#include "model/part_mesh.h"
#include "shell/control_panel.h"
#include "shell/file_dialog.h"
#include "shell/handlers.h"
#include "shell_test_support.h"

namespace {

constexpr unsigned char kCtrlY = 25, kCtrlZ = 26;

class EditHistoryTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        char pattern[] = "/tmp/veldraxis-history-XXXXXX";
        dir = mkdtemp(pattern);
    }
    void TearDown() override {
        ShellTest::TearDown();
        std::system(("rm -rf " + dir).c_str());
    }
    void drag(int mode, int bone, int dx, int dy) {
        viewer.mouseMode = mode;
        viewer.selectedBone = bone;
        onMouseButton(viewer, 0, 0, 100, 100);
        onMotion(viewer, 100 + dx / 2, 100 + dy / 2);
        onMotion(viewer, 100 + dx, 100 + dy);
        onMouseButton(viewer, 0, 1, 100 + dx, 100 + dy);
    }
    std::string dir;

    // Every node's user, pose and bone-offset matrices in pre-order, as raw bytes.
    std::string treeBytes() {
        std::string bytes;
        forEachPreOrder(viewer.root(), [&](const BoneNode& node) {
            for (const Matrix4* m : {&node.userMatrix, &node.poseMatrix, &node.boneOffsetMatrix}) {
                bytes.append(reinterpret_cast<const char*>(m->data()), sizeof *m);
            }
        });
        return bytes;
    }
};

TEST_F(EditHistoryTest, UndoAndRedoRestoreDragsInBothModesBitForBit) {
    loadBones(3);
    const std::string loaded = treeBytes();
    drag(MouseModeRotation, 2, 37, -11);
    const std::string turned = treeBytes();
    drag(MouseModeTranslation, 0, 5, 9);
    const std::string moved = treeBytes();
    drag(MouseModeZoom, 0, 0, 30);  // a view change: no step
    ASSERT_NE(turned, loaded);
    ASSERT_NE(moved, turned);
    EXPECT_EQ(viewer.editHistory.undoSteps(), 2u);

    platform.calls.clear();
    onKeyboard(viewer, kCtrlZ, 0, 0);
    EXPECT_EQ(treeBytes(), turned);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"setWindow 11", "postRedisplay"}));
    onUndo(viewer, 0);
    EXPECT_EQ(treeBytes(), loaded);
    onKeyboard(viewer, kCtrlZ, 0, 0);  // nothing left: nothing changes
    EXPECT_EQ(treeBytes(), loaded);
    onKeyboard(viewer, kCtrlY, 0, 0);
    EXPECT_EQ(treeBytes(), turned);
    platform.modifiers = 1;  // Ctrl+Shift+Z
    onKeyboard(viewer, kCtrlZ, 0, 0);
    EXPECT_EQ(treeBytes(), moved);
    onRedo(viewer, 0);
    EXPECT_EQ(treeBytes(), moved);
    EXPECT_EQ(viewer.mouseMode, MouseModeZoom);  // the keys with Ctrl leave the mode alone

    // A new edit after an undo drops the redo steps.
    onUndo(viewer, 0);
    drag(MouseModeRotation, 1, 4, 0);
    EXPECT_EQ(viewer.editHistory.redoSteps(), 0u);
    onRedo(viewer, 0);
    EXPECT_NE(treeBytes(), moved);
    onUndo(viewer, 0);
    EXPECT_EQ(treeBytes(), turned);
}

TEST_F(EditHistoryTest, LoadMatrixAndResetPoseAreOneStepEach) {
    loadBones(2);
    const std::string loaded = treeBytes();
    drag(MouseModeRotation, 1, 20, 30);
    drag(MouseModeTranslation, 2, -7, 3);
    const std::string edited = treeBytes();
    platform.answerChosen = true;
    platform.answerPath = dir + "/pose.bin";
    ConsoleCapture console;
    onMenu(viewer, kMenuSaveMatrix);

    onMenu(viewer, kMenuResetPose);
    EXPECT_EQ(treeBytes(), loaded);
    onMenu(viewer, kMenuLoadMatrix);
    EXPECT_EQ(treeBytes(), edited);
    EXPECT_EQ(viewer.editHistory.undoSteps(), 4u);
    onUndo(viewer, 0);
    EXPECT_EQ(treeBytes(), loaded);
    onUndo(viewer, 0);
    EXPECT_EQ(treeBytes(), edited);
}

TEST_F(EditHistoryTest, TheHistoryKeepsTheNewestStepsWithinItsBounds) {
    loadBones(1);
    EditHistory byCount(3), byBytes(1000, 1);
    for (int step = 1; step <= 5; ++step) {
        for (EditHistory* history : {&byCount, &byBytes}) history->beginStep(viewer.root());
        viewer.root().userMatrix[12] = static_cast<float>(step);
        for (EditHistory* history : {&byCount, &byBytes}) history->endStep(viewer.root());
    }
    EXPECT_EQ(byCount.undoSteps(), 3u);
    EXPECT_EQ(byBytes.undoSteps(), 0u);  // no step fits a one-byte bound
    while (byCount.undo(viewer.root())) {
    }
    EXPECT_EQ(viewer.root().userMatrix[12], 2.0f);  // steps 1 and 2 were dropped
}

TEST_F(EditHistoryTest, ShowAllAndHideAllSetEveryPartAndCheckBox) {
    loadBones(3);
    auto panel = buildControlPanel(viewer, nullptr);
    onShowAll(viewer, 0);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(viewer.parts()[i]->isVisible(), 1);
        EXPECT_EQ(viewer.panel.partCheckboxes[i]->get_int_val(), 1);
    }
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"setWindow 11", "postRedisplay"}));
    onPartCheckbox(viewer, 2);
    onHideAll(viewer, 0);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(viewer.parts()[i]->isVisible(), 0);
        EXPECT_EQ(viewer.panel.partCheckboxes[i]->get_int_val(), 0);
    }
}

TEST_F(EditHistoryTest, OpenArchiveReplacesTheModelOnlyWhenTheNewOneLoaded) {
    loadBones(2);
    drag(MouseModeRotation, 2, 10, 0);
    BoneNode* shownRoot = &viewer.root();
    const std::string shown = treeBytes();
    platform.answerChosen = true;
    ConsoleCapture console;

    platform.answerPath = dir + "/missing.bin";
    onMenu(viewer, kMenuOpenArchive);
    EXPECT_EQ(&viewer.root(), shownRoot);
    EXPECT_EQ(treeBytes(), shown);
    EXPECT_EQ(viewer.boneIndices().size(), 2u);
    EXPECT_EQ(viewer.selectedBone, 2);
    EXPECT_EQ(viewer.editHistory.undoSteps(), 1u);
    const std::string missing = dir + "/missing.bin";
    EXPECT_NE(console.text().find("Open archive : " + missing + "\n"), std::string::npos);
    EXPECT_NE(console.text().find(missing + " brings no bone and no texture: the model shown "
                                            "stays\n"),
              std::string::npos);

    archive_builder::Skeleton skeleton;
    archive_builder::AngleTable angles;
    for (int i = 0; i < 4; ++i) {
        skeleton.bones.push_back({});
        angles.angles.push_back(0);
    }
    platform.answerPath = dir + "/four.bin";
    ASSERT_TRUE(archive_builder::writeFile(platform.answerPath,
                                           archive_builder::buildModelArchive(skeleton, angles)));
    platform.calls.clear();
    onMenu(viewer, kMenuOpenArchive);
    EXPECT_EQ(viewer.boneIndices(), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(viewer.parts().size(), 4u);
    EXPECT_EQ(viewer.selectedBone, 0);
    EXPECT_EQ(viewer.shownModelName, "four.bin");
    EXPECT_EQ(viewer.editHistory.undoSteps(), 0u);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"chooseArchive", "showReplacedModel"}));
}

TEST(ArchivePromptTest, WithoutChooserTheConsoleAsksForTheArchive) {
    const std::string savedPath = std::getenv("PATH");
    setenv("PATH", "/nonexistent", 1);
    char input[] = "/tmp/other model.bin\n";
    FILE* in = fmemopen(input, std::strlen(input), "r");
    std::string path;
    ConsoleCapture console;
    EXPECT_TRUE(askForFile(FileCommand::OpenArchive, path, {in, true}));
    std::fclose(in);
    setenv("PATH", savedPath.c_str(), 1);
    EXPECT_EQ(path, "/tmp/other model.bin");
    EXPECT_EQ(console.text(), "Open archive from (an empty line cancels):\n");
}

}  // namespace
