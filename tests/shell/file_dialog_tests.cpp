// Choosing a pose file through a chooser program on PATH or on the console.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "console/console.h"
#include "shell/file_dialog.h"
#include "shell/playback_dialog.h"

namespace {

class FileDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/veldraxis-dialog-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        const char* path = std::getenv("PATH");
        savedPath = path ? path : "";
        setenv("PATH", dir.c_str(), 1);  // only the stubs
    }
    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        for (const char* name : {"/zenity", "/kdialog", "/args"}) unlink((dir + name).c_str());
        rmdir(dir.c_str());
    }

    // A chooser stub: records its arguments, prints answer, exits with status.
    void stub(const std::string& name, const std::string& answer, int status) {
        const std::string file = dir + "/" + name;
        std::ofstream script(file);
        script << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << dir << "/args'\n"
               << "printf '%s' '" << answer << "'\nexit " << status << "\n";
        script.close();
        chmod(file.c_str(), 0755);
    }
    std::string recordedArgs() {
        std::ifstream file(dir + "/args");
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    bool ask(bool forSave, std::string& path, const std::string& consoleInput = "") {
        FILE* console = fmemopen(const_cast<char*>(consoleInput.data()), consoleInput.size(), "r");
        if (consoleInput.empty()) console = fopen("/dev/null", "r");
        ConsoleCapture capture;
        const bool chosen = askForFile(forSave ? FileCommand::SaveMatrix : FileCommand::LoadMatrix,
                                       path, {console, true});
        output = capture.text();
        fclose(console);
        return chosen;
    }

    std::string dir, savedPath, output;
};

TEST_F(FileDialogTest, ZenityAnswersThePathOfItsFirstLine) {
    stub("zenity", "/home/me/poses/walk 1.bin\n", 0);
    std::string path;
    EXPECT_TRUE(ask(true, path));
    EXPECT_EQ(path, "/home/me/poses/walk 1.bin");
    EXPECT_EQ(recordedArgs(),
              "--file-selection\n--save\n--title=Save matrix\n"
              "--file-filter=Pose files | *.pose *.bin\n--file-filter=All files | *\n");
    EXPECT_EQ(output, "");

    EXPECT_TRUE(ask(false, path));
    EXPECT_EQ(recordedArgs(),
              "--file-selection\n--title=Load matrix\n"
              "--file-filter=Pose files | *.pose *.bin\n--file-filter=All files | *\n");
}

TEST_F(FileDialogTest, PathReachesTheCommandUntouchedByAnyShell) {
    stub("zenity", "/tmp/a;b $(x) `y` *\n", 0);
    std::string path;
    EXPECT_TRUE(ask(false, path));
    EXPECT_EQ(path, "/tmp/a;b $(x) `y` *");
}

TEST_F(FileDialogTest, FailureStatusOrEmptyAnswerCancels) {
    std::string path = "unchanged";
    stub("zenity", "/tmp/x.bin\n", 1);
    EXPECT_FALSE(ask(true, path));
    stub("zenity", "", 0);
    EXPECT_FALSE(ask(true, path));
    stub("zenity", "\n", 0);
    EXPECT_FALSE(ask(false, path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(output, "");
}

TEST_F(FileDialogTest, PathsLongerThan511CharactersAreRefused) {
    std::string path;
    const std::string longest = "/" + std::string(510, 'a');
    stub("zenity", longest + "\n", 0);
    EXPECT_TRUE(ask(true, path));
    EXPECT_EQ(path, longest);

    path = "unchanged";
    stub("zenity", longest + "b\n", 0);
    EXPECT_FALSE(ask(true, path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(output, "path too long : more than 511 characters\n");
}

// Twenty long paths answer more than one read of the pipe holds: every one of them is played.
TEST_F(FileDialogTest, PlayPosesTakesEveryPathOfALongAnswer) {
    std::string answer;
    std::vector<std::string> expected;
    for (int k = 0; k < 20; ++k) {
        expected.push_back("/" + std::string(400, 'p') + std::to_string(k) + ".bin");
        answer += expected.back() + "\n";
    }
    stub("zenity", answer, 0);
    std::vector<std::string> paths;
    EXPECT_TRUE(askForPoseFiles(paths, {stdin, false}));
    EXPECT_EQ(paths, expected);
}

TEST_F(FileDialogTest, KdialogServesWhereZenityIsAbsent) {
    stub("kdialog", "/tmp/k.bin\n", 0);
    std::string path;
    EXPECT_TRUE(ask(true, path));
    EXPECT_EQ(path, "/tmp/k.bin");
    EXPECT_EQ(recordedArgs(),
              "--title\nSave matrix\n--getsavefilename\n.\n*.pose *.bin|Pose files\n*|All files\n");
    EXPECT_TRUE(ask(false, path));
    EXPECT_EQ(recordedArgs(),
              "--title\nLoad matrix\n--getopenfilename\n.\n"
              "*.pose *.bin|Pose files\n*|All files\n");

    stub("zenity", "/tmp/z.bin\n", 0);  // zenity is preferred
    EXPECT_TRUE(ask(false, path));
    EXPECT_EQ(path, "/tmp/z.bin");
}

TEST_F(FileDialogTest, WithoutChooserTheConsoleAsksForOneLine) {
    std::string path;
    EXPECT_TRUE(ask(true, path, "/tmp/console pose.bin\nrest\n"));
    EXPECT_EQ(path, "/tmp/console pose.bin");
    EXPECT_EQ(output, "Save matrix to (an empty line cancels):\n");

    EXPECT_TRUE(ask(false, path, "/tmp/dos.bin\r\n"));
    EXPECT_EQ(path, "/tmp/dos.bin");
    EXPECT_EQ(output, "Load matrix from (an empty line cancels):\n");

    path = "unchanged";
    EXPECT_FALSE(ask(false, path, "\n/tmp/late.bin\n"));
    EXPECT_FALSE(ask(false, path, ""));  // end of input
    EXPECT_FALSE(ask(false, path, std::string(600, 'p') + "\n"));
    EXPECT_EQ(path, "unchanged");
}

TEST_F(FileDialogTest, ExportAndArchiveDialogsNameTheirCommandAndOfferTheirFiles) {
    std::string path;
    FILE* console = fmemopen(const_cast<char*>("/tmp/typed.gltf\n"), 16, "r");
    {
        ConsoleCapture capture;
        EXPECT_TRUE(askForFile(FileCommand::ExportGltf, path, {console, true}));
        EXPECT_EQ(capture.text(), "Export glTF (.glb or .gltf) to (an empty line cancels):\n");
    }
    EXPECT_EQ(path, "/tmp/typed.gltf");
    fclose(console);

    stub("kdialog", "/tmp/k.glb\n", 0);
    EXPECT_TRUE(askForFile(FileCommand::ExportGltf, path));
    EXPECT_EQ(recordedArgs(),
              "--title\nExport glTF\n--getsavefilename\n.\n"
              "*.glb *.gltf|glTF (.glb, .gltf)\n*|All files\n");
    stub("zenity", "/tmp/z.glb\n", 0);
    EXPECT_TRUE(askForFile(FileCommand::ExportGltf, path));
    EXPECT_EQ(path, "/tmp/z.glb");
    EXPECT_EQ(recordedArgs(),
              "--file-selection\n--save\n--title=Export glTF\n"
              "--file-filter=glTF (.glb, .gltf) | *.glb *.gltf\n"
              "--file-filter=All files | *\n");
    EXPECT_TRUE(askForFile(FileCommand::OpenArchive, path));
    EXPECT_EQ(recordedArgs(),
              "--file-selection\n--title=Open archive\n"
              "--file-filter=Model archives | *.bin\n"
              "--file-filter=Disc images | *.cue *.iso *.img *.bin\n--file-filter=All files | *\n");
}

TEST_F(FileDialogTest, WithoutChooserOrTerminalEachCommandSaysItCannotAsk) {
    FILE* console = fmemopen(const_cast<char*>("/tmp/never.bin\n"), 15, "r");
    ConsoleCapture capture;
    std::string path = "unchanged";
    for (FileCommand command : {FileCommand::SaveMatrix, FileCommand::LoadMatrix,
                                FileCommand::ExportGltf, FileCommand::OpenArchive}) {
        EXPECT_FALSE(askForFile(command, path, {console, false}));
    }
    fclose(console);
    EXPECT_EQ(path, "unchanged");
    const std::string reason =
        " : cannot ask for a file (no zenity or kdialog, and standard input is not a terminal)\n";
    EXPECT_EQ(capture.text(), "Save matrix" + reason + "Load matrix" + reason + "Export glTF" +
                                  reason + "Open archive" + reason);
}

TEST_F(FileDialogTest, ProgramsAreFoundOnPathOnly) {
    stub("zenity", "", 0);
    EXPECT_EQ(findOnPath("zenity"), dir + "/zenity");
    EXPECT_EQ(findOnPath("kdialog"), "");
    EXPECT_EQ(findOnPath("../zenity"), "");
    chmod((dir + "/zenity").c_str(), 0644);  // not executable
    EXPECT_EQ(findOnPath("zenity"), "");
    EXPECT_TRUE(chooserCommand(FileCommand::SaveMatrix).empty());
}

TEST_F(FileDialogTest, ChooserThatCannotStartCancels) {
    std::string output;
    EXPECT_EQ(runAndCapture({dir + "/missing"}, output), -1);
    EXPECT_EQ(runAndCapture({}, output), -1);
}

}  // namespace
