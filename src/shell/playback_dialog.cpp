#include "shell/playback_dialog.h"

#include <algorithm>

#include "console/console.h"
#include "shell/file_dialog.h"

namespace {

// Room for a few thousand pose files of the longest path each.
constexpr size_t kMaxChooserAnswer = size_t{1} << 20;

// The chooser's answer, one path a line; a path longer than a pose file path may be is dropped
// with a line.
void addLines(const std::string& text, std::vector<std::string>& paths) {
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string path;
        if (acceptPath(firstLine(text.substr(start, end - start)), path)) paths.push_back(path);
        start = end + 1;
    }
}

std::vector<std::string> multipleChooserCommand() {
    return chooserWith({"--file-selection", "--multiple", "--separator=\n", "--title=Play poses",
                        "--file-filter=Pose files | *.pose *.bin", "--file-filter=All files | *"},
                       {"--title", "Play poses", "--getopenfilename", ".",
                        "*.pose *.bin|Pose files\n*|All files", "--multiple", "--separate-output"});
}

}  // namespace

bool askForPoseFiles(std::vector<std::string>& paths, const ConsoleInput& input) {
    FILE* console = input.stream;
    paths.clear();
    const std::vector<std::string> command = multipleChooserCommand();
    if (!command.empty()) {
        std::string answer;
        if (runAndCapture(command, answer, kMaxChooserAnswer + 1) != 0) return false;
        if (answer.size() > kMaxChooserAnswer) {
            consolePrintf("Play poses : the chooser answered more than %zu bytes: nothing played\n",
                          kMaxChooserAnswer);
            return false;
        }
        addLines(answer, paths);
        return !paths.empty();
    }
    if (!input.terminal) return cannotAsk("Play poses");
    consolePrintf("Play poses: one pose file a line (an empty line ends):\n");
    consoleFlush();
    std::string text;
    for (;;) {
        std::string line;
        int c;
        while ((c = std::fgetc(console)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        text += line + "\n";
        if (c == EOF) break;
    }
    addLines(text, paths);
    return !paths.empty();
}
