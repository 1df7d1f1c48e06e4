#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/mode_table.h"
#include "console/console.h"
#include "demo/demo_archive.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

struct RunResult {
    int status;
    std::string console;  // what the run printed on its console (standard error)
};

RunResult run(const std::vector<std::string>& args) {
    ConsoleCapture capture;
    const int status = runCommandLine(args);
    return {status, capture.text()};
}

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        names.push_back(fs::relative(item.path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class CommandLine : public testing::Test {
  protected:
    void SetUp() override {
        write("demo.bin",
              std::string(reinterpret_cast<const char*>(demoArchiveData()), demoArchiveSize()));
        write("garbage.bin", "garbage!");
    }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    std::string at(const std::string& name) const { return dir / name; }

    TempFolder dir{"command_line"};
};

// Each rule once: the line that says what is wrong, the pointer to the help, status 2 and no
// file written.
TEST_F(CommandLine, UsageErrorsSayWhatIsWrongAndWriteNothing) {
    fs::create_directory(at("a"));
    fs::create_directory(at("b"));
    fs::copy(at("demo.bin"), at("a/knight.bin"));
    fs::copy(at("demo.bin"), at("b/knight.bin"));
    fs::create_hard_link(at("demo.bin"), at("linked.png"));
    const std::string mode = "veldraxis-viewer --render: ";
    const struct {
        std::vector<std::string> args;
        std::string line;
    } cases[] = {
        {{"--render"}, mode + "OUT is required"},
        {{"--render", at("demo.bin")},
         mode + at("demo.bin") +
             ": the output must end in .png, or be a folder (an existing one, or a name ending "
             "in /)"},
        {{"--render", "r.jpg"},
         mode + "r.jpg: the output must end in .png, or be a folder (an "
                "existing one, or a name ending in /)"},
        {{"--render", "o.png", "--bogus"},
         mode + "The following argument was not expected: --bogus"},
        {{"--render", "o.png", "--pose"}, mode + "--pose: 1 required POSEFILE missing"},
        {{"--render", "o.png", "--pose", "--quiet"},
         mode + "--pose: '--quiet' looks like an option, not a file name (write ./--quiet for a "
                "file of that name)"},
        {{"--render", at("sheet.png"), at("a/knight.bin"), at("b/knight.bin")},
         mode +
             "2 archives need a folder output (an existing folder, or a name ending in /), "
             "not the file " +
             at("sheet.png")},
        {{"--render", at("thumbs/"), at("a/knight.bin"), at("b/knight.bin")},
         mode + at("a/knight.bin") + " and " + at("b/knight.bin") + " would both be written to " +
             at("thumbs/knight.png")},
        {{"--texture", at("linked.png"), at("demo.bin")},
         "veldraxis-viewer --texture: " + at("linked.png") + " is the input " + at("demo.bin") +
             ": it would be overwritten"},
        {{"--export", "out.glb", "--gltf"},
         "veldraxis-viewer --export: --gltf names the form of a folder's files; the file out.glb "
         "has its own ending"},
        {{"--render", "o.png", "--info"}, mode + "--info is another mode: give one mode at a time"},
        {{"--render", "o.png", "--view", "main", "--size", "4097x10"},
         mode + "--size: '4097x10' is not WxH with each side from 1 to 4096"},
        {{"--render", "o.png", "--size", "10x10"},
         mode + "--size needs --view: the sheet keeps its 960 x 720"},
        {{"--render", "o.png", "--view", "top"},
         mode + "--view: 'top' is not a view; give main, side or up"},
        {{"--render", "o.png", "--background", "#12345"},
         mode + "--background: '#12345' is neither #RRGGBB nor transparent"},
        {{"--render", "o.webp", "--turntable", "1"}, mode + "--turntable 1: give 2 to 360 frames"},
        {{"--render", "o.png", "--turntable", "12"},
         mode + "o.png: an animation goes into a .webp file, not a .png"},
        {{"--render", "o.webp"},
         mode + "o.webp: a still picture goes into a .png file; an animated .webp needs "
                "--turntable, or several --pose with --fps"},
        {{"--render", "o.webp", "--fps", "12", "--pose", at("a.pose")},
         mode + "--fps needs --turntable or two or more --pose files"},
    };
    const std::vector<std::string> before = filesIn(dir.path());
    for (const auto& c : cases) {
        const RunResult result = run(c.args);
        EXPECT_EQ(result.status, 2) << c.line;
        EXPECT_EQ(firstLine(result.console), c.line);
        EXPECT_NE(result.console.find("Run 'veldraxis-viewer --"), std::string::npos) << c.line;
    }
    EXPECT_EQ(filesIn(dir.path()), before);
}

TEST_F(CommandLine, ViewerArgumentsLeaveGlutItsOptionsAndTakeOneArchive) {
    ConsoleCapture capture;
    EXPECT_EQ(checkViewerArguments({"-display", ":1", "-geometry", "9x9", "-sync", "a.bin"}), 0);
    EXPECT_EQ(checkViewerArguments({"--json"}), 2);
    EXPECT_EQ(checkViewerArguments({"a.bin", "b.bin"}), 2);
    EXPECT_EQ(checkViewerArguments({"-display"}), 2);
    EXPECT_EQ(capture.text(),
              "veldraxis-viewer: unknown option --json\n"
              "Run 'veldraxis-viewer --help' for the usage.\n"
              "veldraxis-viewer: the viewer shows one archive at a time; got a.bin and b.bin\n"
              "Run 'veldraxis-viewer --help' for the usage.\n"
              "veldraxis-viewer: -display needs a value\n"
              "Run 'veldraxis-viewer --help' for the usage.\n");
    EXPECT_EQ(runCommandLine({"a.bin"}), -1);  // the viewer's turn
    EXPECT_EQ(programVersion(), "veldraxis-viewer " VELDRAXIS_TEST_VERSION "\n");
}

// An empty result is a failure: one line naming the archive, status 1, no file.
TEST_F(CommandLine, EmptyResultsFailWithTheirLine) {
    const std::string garbage = at("garbage.bin");
    const struct {
        std::vector<std::string> args;
        std::string line;
    } cases[] = {
        {{"--quiet", "--texture", at("t.png"), garbage}, garbage + ": no texture image to write"},
        {{"--export", at("e.glb"), "--quiet", garbage}, garbage + ": no bone to export"},
        {{"--export", at("e.glb"), "--pose", garbage, at("demo.bin")},
         garbage + ": not a pose of this model: it has 8 bytes, the model's 14 bones and root "
                   "need 2880 (192 for each)"},
        {{"--info", at("missing.bin")}, at("missing.bin") + ": No such file or directory"},
        {{"--info", dir.path()}, dir.path() + ": Is a directory"},
    };
    for (const auto& c : cases) {
        const RunResult result = run(c.args);
        EXPECT_EQ(result.status, 1) << c.line;
        const std::string last =
            result.console.substr(result.console.rfind('\n', result.console.size() - 2) + 1);
        EXPECT_EQ(last, c.line + "\n");
    }
    EXPECT_FALSE(fs::exists(at("t.png")));
    EXPECT_FALSE(fs::exists(at("e.glb")));
}

// A batch goes on past a bad archive and ends with status 1; --quiet keeps only its own lines.
TEST_F(CommandLine, BatchesWriteEveryGoodArchiveIntoTheFolder) {
    const RunResult pages = run({"--texture", "--quiet", at("pages/new/"), at("demo.bin"),
                                 at("garbage.bin"), at("missing.bin")});
    EXPECT_EQ(pages.status, 1);
    EXPECT_EQ(pages.console, at("garbage.bin") + ": no texture image to write\n" +
                                 at("missing.bin") + ": No such file or directory\n");
    EXPECT_EQ(filesIn(at("pages")), (std::vector<std::string>{"new", "new/demo.png"}));

    EXPECT_EQ(run({"--export", at("models"), "--gltf", at("demo.bin")}).status,
              2);  // no folder yet
    fs::create_directory(at("models"));
    EXPECT_EQ(run({"--export", at("models"), "--gltf", "--quiet", at("demo.bin")}).status, 0);
    EXPECT_TRUE(fs::exists(at("models/demo.gltf")));
}

// --diff: 0 the same, 1 different, 2 trouble; --quiet prints nothing at all.
TEST_F(CommandLine, DiffStatusesAreThoseOfCmp) {
    std::string edited(reinterpret_cast<const char*>(demoArchiveData()), demoArchiveSize());
    edited[edited.size() - 1] ^= 1;
    write("edited.bin", edited);
    fs::copy(at("demo.bin"), at("copy.bin"));
    fs::create_hard_link(at("demo.bin"), at("demo-link.png"));
    auto diff = [](const std::vector<std::string>& args, std::string& out) {
        testing::internal::CaptureStdout();
        const RunResult result = run(args);
        out = testing::internal::GetCapturedStdout();
        return result;
    };
    std::string out;
    EXPECT_EQ(diff({"--diff", at("demo.bin"), at("copy.bin")}, out).status, 0);
    EXPECT_EQ(out, at("demo.bin") + " and " + at("copy.bin") + " are the same: 12464 bytes\n");
    const RunResult quiet = diff({"--diff", "--quiet", at("demo.bin"), at("edited.bin")}, out);
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(out + quiet.console, "");
    EXPECT_EQ(diff({"--diff", "--json", at("demo.bin"), at("edited.bin")}, out).status, 1);
    const nlohmann::json document = nlohmann::json::parse(out);
    EXPECT_EQ(document["same"], false);
    EXPECT_EQ(document["bytes"]["differing"], 1);
    EXPECT_EQ(document["unreadBytesChanged"], 1);  // the last entry is never read

    const RunResult missing = diff({"--diff", "--quiet", at("demo.bin"), at("missing.bin")}, out);
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.console, at("missing.bin") + ": No such file or directory\n");

    const std::string mode = "veldraxis-viewer --diff: ";
    const struct {
        std::vector<std::string> args;
        std::string line;
    } usage[] = {
        {{"--diff", at("demo.bin")}, mode + "B is required"},
        {{"--diff", "-", "-"}, mode + "A and B cannot both be standard input"},
        {{"--diff", "a", "b", "c"}, mode + "The following argument was not expected: c"},
        {{"--diff", at("demo.bin"), at("copy.bin"), "--picture", at("d.jpg")},
         mode + at("d.jpg") + ": the picture must end in .png"},
        {{"--diff", at("demo.bin"), at("copy.bin"), "--picture", at("demo-link.png")},
         mode + at("demo-link.png") + " is the input " + at("demo.bin") +
             ": it would be overwritten"},
    };
    for (const auto& c : usage) {
        const RunResult result = diff(c.args, out);
        EXPECT_EQ(result.status, 2) << c.line;
        EXPECT_EQ(firstLine(result.console), c.line);
        EXPECT_EQ(out, "");
    }
}

// Every mode file registers itself, in the order --help lists them, and each takes --quiet; the
// texture modes run no loader, so quiet they print nothing either.
TEST_F(CommandLine, EveryModeIsRegisteredAndTakesQuiet) {
    std::vector<std::string> options;
    for (const CliMode& mode : cliModes()) {
        options.push_back(mode.option);
        EXPECT_NE(usageLine(modeUsage(mode)).find(" [--quiet]"), std::string::npos) << mode.option;
    }
    EXPECT_EQ(options, (std::vector<std::string>{
                           "--export", "--render", "--texture", "--import-pose", "--import-model",
                           "--info", "--diff", "--extract-textures", "--replace-textures", "--scan",
                           "--extract", "--patch-image"}));
    const RunResult extracted = run({"--extract-textures", "--quiet", at("tex/"), at("demo.bin")});
    EXPECT_EQ(extracted.status, 0);
    EXPECT_EQ(extracted.console, "");
    const RunResult replaced = run(
        {"--replace-textures", at("copy.bin"), "--images", at("tex"), "--quiet", at("demo.bin")});
    EXPECT_EQ(replaced.status, 0);
    EXPECT_EQ(replaced.console, "");
    EXPECT_EQ(test_support::readWholeFile(at("copy.bin")),
              test_support::readWholeFile(at("demo.bin")));
}

}  // namespace
