// Keys and menu commands: the mouse mode, the menu labels, the panel and the pose commands.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "console/console.h"
#include "model/pose_file.h"
#include "shell/archive_opening.h"
#include "shell/control_panel.h"
#include "shell/handlers.h"
#include "shell_test_support.h"

namespace {

void noQuit(int) {}

const std::vector<std::string> kRotationLabels{"setMenu 21",
                                               "changeToMenuEntry 1 [*Rotation] 32766",
                                               "changeToMenuEntry 2 [ Translation] 32765"};
const std::vector<std::string> kTranslationLabels{"setMenu 21",
                                                  "changeToMenuEntry 1 [ Rotation] 32766",
                                                  "changeToMenuEntry 2 [*Translation] 32765"};

class KeyMenuTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        loadBones(2);
        panel = buildControlPanel(viewer, noQuit);
    }
    std::unique_ptr<glui_lite::Window> panel;
};

TEST_F(KeyMenuTest, KeysSetTheModeRelabelTheMenuAndSyncThePanel) {
    for (unsigned char key : {'t', 'T'}) {
        viewer.mouseMode = MouseModeRotation;
        platform.calls.clear();
        onKeyboard(viewer, key, 0, 0);
        EXPECT_EQ(viewer.mouseMode, MouseModeTranslation);
        EXPECT_EQ(platform.calls, kTranslationLabels);  // and no redisplay
        EXPECT_EQ(viewer.panel.modeGroup->get_int_val(), MouseModeTranslation);
    }
    for (unsigned char key : {'r', 'R'}) {
        viewer.mouseMode = MouseModeTranslation;
        platform.calls.clear();
        onKeyboard(viewer, key, 0, 0);
        EXPECT_EQ(viewer.mouseMode, MouseModeRotation);
        EXPECT_EQ(platform.calls, kRotationLabels);
        EXPECT_EQ(viewer.panel.modeGroup->get_int_val(), MouseModeRotation);
    }
}

TEST_F(KeyMenuTest, ZoomKeyKeepsTheMenuLabelsButSyncsThePanel) {
    onKeyboard(viewer, 't', 0, 0);
    for (unsigned char key : {'z', 'Z'}) {
        platform.calls.clear();
        onKeyboard(viewer, key, 0, 0);
        EXPECT_EQ(viewer.mouseMode, MouseModeZoom);
        EXPECT_EQ(platform.calls, (std::vector<std::string>{"setMenu 21"}));
        EXPECT_EQ(viewer.panel.modeGroup->get_int_val(), MouseModeZoom);
    }
}

TEST_F(KeyMenuTest, OtherKeysAndArrowKeysDoNothing) {
    for (int key : {int{'a'}, int{'x'}, int{' '}, int{'1'}, 0xE9}) {
        onKeyboard(viewer, static_cast<unsigned char>(key), 0, 0);
    }
    for (int special : {100, 101, 102, 103, 1}) onSpecialKey(viewer, special, 0, 0);
    EXPECT_EQ(viewer.mouseMode, MouseModeRotation);
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ(viewer.root().poseMatrix, identityMatrix());
}

TEST_F(KeyMenuTest, ModeFromTheMenuRelabelsButLeavesThePanelUntilTheNextKey) {
    onMenu(viewer, 32765);
    EXPECT_EQ(viewer.mouseMode, MouseModeTranslation);
    EXPECT_EQ(platform.calls, kTranslationLabels);  // no redisplay
    EXPECT_EQ(viewer.panel.modeGroup->get_int_val(), MouseModeRotation);

    platform.calls.clear();
    onMenu(viewer, 32766);
    EXPECT_EQ(viewer.mouseMode, MouseModeRotation);
    EXPECT_EQ(platform.calls, kRotationLabels);

    onMenu(viewer, 32765);
    onKeyboard(viewer, 'z', 0, 0);  // the key's sync shows the key's mode
    EXPECT_EQ(viewer.panel.modeGroup->get_int_val(), MouseModeZoom);
}

TEST_F(KeyMenuTest, InitMatrixOnlyRedraws) {
    viewer.root().poseMatrix[1] = 0.5f;
    onMenu(viewer, 32764);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"postRedisplay"}));
    EXPECT_EQ(viewer.root().poseMatrix[1], 0.5f);
}

TEST_F(KeyMenuTest, PartTableMenuValuesAndUnknownValuesDoNothing) {
    for (int value : {0x201, 0x202, 0x401, 0x2ff, 0, 1, 32700, 0x4000 | 5}) onMenu(viewer, value);
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_TRUE(platform.dialogs.empty());
    EXPECT_EQ(viewer.mouseMode, MouseModeRotation);
}

class PoseCommandTest : public KeyMenuTest {
  protected:
    void SetUp() override {
        KeyMenuTest::SetUp();
        char pattern[] = "/tmp/veldraxis-shell-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        for (const char* name : {"/pose.bin", "/other.bin", "/model.glb"}) {
            unlink((dir + name).c_str());
        }
        rmdir(dir.c_str());
        KeyMenuTest::TearDown();
    }
    std::string runMenu(int value) {
        ConsoleCapture console;
        onMenu(viewer, value);
        return console.text();
    }
    std::string dir;
};

TEST_F(PoseCommandTest, SaveMatrixWritesEveryNodeAndLoadMatrixRestoresIt) {
    viewer.selectedBone = 1;
    onMouseButton(viewer, 0, 0, 0, 0);
    onMotion(viewer, 25, 13);
    const std::vector<uint8_t> saved = encodePose(viewer.root());

    platform.answerChosen = true;
    platform.answerPath = dir + "/pose.bin";
    platform.calls.clear();
    EXPECT_EQ(runMenu(32762), "Save matrix : " + dir + "/pose.bin\n");
    EXPECT_EQ(platform.dialogs, (std::vector<bool>{true}));
    EXPECT_TRUE(platform.calls.empty());  // saving does not redraw

    std::ifstream file(dir + "/pose.bin", std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(bytes.size(), 3u * 192u);
    EXPECT_EQ(bytes, saved);

    onMotion(viewer, 90, -40);
    ASSERT_NE(encodePose(viewer.root()), saved);
    EXPECT_EQ(runMenu(32763), "Load matrix : " + dir + "/pose.bin\n");
    EXPECT_EQ(platform.dialogs, (std::vector<bool>{true, false}));
    EXPECT_EQ(encodePose(viewer.root()), saved);
    EXPECT_EQ(platform.calls.back(), "postRedisplay");
}

TEST_F(PoseCommandTest, CancelledSaveDoesNothingCancelledLoadOnlyRedraws) {
    viewer.root().userMatrix[12] = 4.0f;
    const std::vector<uint8_t> before = encodePose(viewer.root());
    EXPECT_EQ(runMenu(32762), "");
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ(runMenu(32763), "");
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"postRedisplay"}));
    EXPECT_EQ(encodePose(viewer.root()), before);
    EXPECT_EQ(platform.dialogs, (std::vector<bool>{true, false}));
}

TEST_F(PoseCommandTest, UnopenableFilesAreReportedAndChangeNothing) {
    const std::vector<uint8_t> before = encodePose(viewer.root());
    platform.answerChosen = true;
    platform.answerPath = dir + "/missing.bin";
    EXPECT_EQ(runMenu(32763), "Load matrix : " + platform.answerPath +
                                  "\ncannot open : " + platform.answerPath + "\n");
    EXPECT_EQ(encodePose(viewer.root()), before);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"postRedisplay"}));

    platform.answerPath = dir + "/no/such/dir/pose.bin";
    EXPECT_EQ(runMenu(32762), "Save matrix : " + platform.answerPath +
                                  "\ncannot open : " + platform.answerPath + "\n");
}

TEST_F(PoseCommandTest, LoadMatrixOfAFileThatDoesNotFitCountsInBones) {
    platform.answerChosen = true;
    platform.answerPath = dir + "/pose.bin";
    const std::string line =
        "Load matrix : " + platform.answerPath + "\nPose file " + platform.answerPath + " holds ";
    std::vector<uint8_t> shorter = encodePose(viewer.root());  // root and two bones: 9 matrices
    for (size_t k = 0; k < shorter.size(); k += 4) shorter[k + 3] = 0x3F;  // every float 0.5..1
    shorter.resize(2 * 192 + 64);
    std::ofstream(platform.answerPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(shorter.data()), shorter.size());
    EXPECT_EQ(runMenu(kMenuLoadMatrix),
              line +
                  "1 bone and 64 bytes, the model has 2 bones: loaded the first 7 matrices, "
                  "kept the rest\n");
    EXPECT_GT(bone(2).userMatrix[1], 0.4f);  // the seventh matrix, loaded
    EXPECT_EQ(bone(2).poseMatrix, identityMatrix());

    std::ofstream(platform.answerPath, std::ios::binary) << std::string(10 * 192, '\0');
    EXPECT_EQ(runMenu(kMenuLoadMatrix),
              line +
                  "9 bones, the model has 2 bones: loaded the 9 matrices it needs, ignored the "
                  "rest\n");
}

TEST_F(PoseCommandTest, ExportGltfOfNoBoneRefusesWithoutAsking) {
    resetModelState();
    platform.answerChosen = true;
    platform.answerPath = dir + "/model.glb";
    viewer.shownArchivePath = "/data/empty model.bin";
    EXPECT_EQ(runMenu(kMenuExportGltf), "/data/empty model.bin: no bone to export\n");
    viewer.shownArchivePath.clear();
    EXPECT_EQ(runMenu(kMenuExportGltf), "demo model: no bone to export\n");
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ(access(platform.answerPath.c_str(), F_OK), -1);
}

TEST_F(PoseCommandTest, ExportGltfWritesTheCurrentPoseOrRefusesWithOneLine) {
    viewer.selectedBone = 1;
    onMouseButton(viewer, 0, 0, 0, 0);
    onMotion(viewer, 25, 13);
    platform.calls.clear();
    platform.answerChosen = true;
    platform.answerPath = dir + "/model";  // no ending: the binary form is chosen
    {
        ConsoleCapture console;
        onMenu(viewer, kMenuExportGltf);
        EXPECT_EQ(console.text(), "Export glTF : " + dir + "/model.glb\n");
    }
    std::ifstream file(dir + "/model.glb", std::ios::binary);
    std::string magic(4, '\0');
    file.read(magic.data(), 4);
    EXPECT_EQ(magic, "glTF");
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"chooseExportFile"}));

    bone(2).poseMatrix[5] = std::numeric_limits<float>::infinity();
    platform.answerPath = dir + "/other.gltf";
    ConsoleCapture console;
    onMenu(viewer, kMenuExportGltf);
    EXPECT_EQ(console.text(), "Cannot export " + platform.answerPath +
                                  ": bone 2 of the current pose is not a translation, rotation "
                                  "and positive scale (not a finite number)\n");
    platform.answerChosen = false;
    onMenu(viewer, kMenuExportGltf);
    EXPECT_EQ(access((dir + "/other.gltf").c_str(), F_OK), -1);
    EXPECT_EQ(platform.calls.size(), 3u);
}

// The images come from the bytes the shown document was loaded from: no file is read again.
TEST_F(PoseCommandTest, ExtractTexturesWritesTheShownImagesOrSaysWhyNot) {
    platform.answerChosen = true;
    platform.answerPath = dir + "/textures/";
    OpenedArchive demo = openArchive(nullptr);
    showDocument(viewer, std::move(demo.document).value());
    viewer.shownArchivePath = "";
    EXPECT_EQ(runMenu(kMenuExtractTextures),
              "Extract textures : " + dir + "/textures/ (1 image, 5 files)\n");
    EXPECT_EQ(access((dir + "/textures/entry3-palette0.png").c_str(), F_OK), 0);

    // An archive of no image, shown from bytes whose file is gone: nothing is written.
    const std::string archive = dir + "/no-image.bin";
    showDocument(viewer, documentFromBytes(Source::file(archive),
                                           archive_builder::buildModelArchive({}, {})));
    viewer.shownArchivePath = archive;
    platform.answerPath = dir + "/none/";
    EXPECT_EQ(runMenu(kMenuExtractTextures), archive + ": no texture image\n");
    EXPECT_EQ(access((dir + "/none").c_str(), F_OK), -1);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"chooseFolder Extract textures to",
                                                        "chooseFolder Extract textures to"}));
    std::filesystem::remove_all(dir + "/textures");
}

// F5 reads the file once into a new document, whose bytes the next commands use; a file gone
// leaves the document shown as it was.
TEST_F(PoseCommandTest, ReloadReadsTheFileIntoANewDocumentOrKeepsTheShownOne) {
    const std::string archive = dir + "/pose.bin";
    archive_builder::Skeleton skeleton;
    skeleton.bones.push_back({});
    const std::vector<uint8_t> bytes = archive_builder::buildModelArchive(skeleton, {{0}});
    ASSERT_TRUE(archive_builder::writeFile(archive, bytes));
    viewer.shownArchivePath = archive;
    const std::vector<uint8_t> shownBytes = viewer.document.bytes;
    {
        ConsoleCapture console;
        onSpecialKey(viewer, 5, 0, 0);
        EXPECT_EQ(console.text(), "Reloaded " + archive + "\n");
    }
    EXPECT_EQ(viewer.document.bytes, bytes);
    EXPECT_EQ(viewer.document.source.path, archive);
    EXPECT_EQ(viewer.boneIndices().size(), 1u);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"showReplacedModel"}));

    unlink(archive.c_str());
    ConsoleCapture console;
    onMenu(viewer, kMenuReloadArchive);
    EXPECT_EQ(console.text(), archive + " cannot be read: the model shown stays\n");
    EXPECT_EQ(viewer.document.bytes, bytes);
    EXPECT_NE(shownBytes, bytes);
}

}  // namespace
