#include "shell/file_dialog.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "console/console.h"

extern char** environ;

std::string firstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool acceptPath(const std::string& candidate, std::string& path) {
    if (candidate.empty()) return false;
    if (candidate.size() > kMaxPoseFilePath) {
        consolePrintf("path too long : more than %zu characters\n", kMaxPoseFilePath);
        return false;
    }
    path = candidate;
    return true;
}

namespace {

bool askOnConsole(const char* prompt, std::string& path, FILE* console) {
    consolePrintf("%s (an empty line cancels):\n", prompt);
    consoleFlush();
    std::string line;
    int c;
    while ((c = std::fgetc(console)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
    if (c == EOF && line.empty()) return false;
    return acceptPath(firstLine(line), path);
}

}  // namespace

std::string findOnPath(const std::string& name) {
    const char* pathVar = std::getenv("PATH");
    if (!pathVar || name.empty() || name.find('/') != std::string::npos) return "";
    std::string dirs = pathVar;
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

int runAndCapture(const std::vector<std::string>& argv, std::string& output, size_t keep) {
    output.clear();
    if (argv.empty()) return -1;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawnError =
        posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawnError != 0) {
        close(fds[0]);
        return -1;
    }

    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0) {
            output.append(buffer, std::min(static_cast<size_t>(n), keep - output.size()));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(fds[0]);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace {

struct CommandDialog {
    const char* title;   // the command, as its menu entry names it
    const char* prompt;  // the console's question
    bool forSave;
    const char* filterName;
    const char* patterns;                   // blank-separated
    const char* otherFilterName = nullptr;  // a second choice, offered after the first
    const char* otherPatterns = nullptr;
};

CommandDialog dialogOf(FileCommand command) {
    switch (command) {
        case FileCommand::SaveMatrix:
            return {"Save matrix", "Save matrix to", true, "Pose files", "*.pose *.bin"};
        case FileCommand::LoadMatrix:
            return {"Load matrix", "Load matrix from", false, "Pose files", "*.pose *.bin"};
        case FileCommand::ExportGltf:
            return {"Export glTF", "Export glTF (.glb or .gltf) to", true, "glTF (.glb, .gltf)",
                    "*.glb *.gltf"};
        case FileCommand::SavePicture:
            return {"Save picture", "Save picture to", true, "PNG pictures", "*.png"};
        case FileCommand::OpenArchive:
            break;
    }
    return {"Open archive", "Open archive from",      false, "Model archives", "*.bin",
            "Disc images",  "*.cue *.iso *.img *.bin"};
}

}  // namespace

ConsoleInput standardInput() {
    return {stdin, isatty(STDIN_FILENO) == 1};
}

std::vector<std::string> chooserWith(std::vector<std::string> zenityArguments,
                                     std::vector<std::string> kdialogArguments) {
    if (std::string zenity = findOnPath("zenity"); !zenity.empty()) {
        zenityArguments.insert(zenityArguments.begin(), zenity);
        return zenityArguments;
    }
    if (std::string kdialog = findOnPath("kdialog"); !kdialog.empty()) {
        kdialogArguments.insert(kdialogArguments.begin(), kdialog);
        return kdialogArguments;
    }
    return {};
}

std::vector<std::string> chooserCommand(FileCommand command) {
    const CommandDialog dialog = dialogOf(command);
    std::vector<std::string> zenity{"--file-selection"};
    if (dialog.forSave) zenity.push_back("--save");
    zenity.push_back(std::string("--title=") + dialog.title);
    zenity.push_back(std::string("--file-filter=") + dialog.filterName + " | " + dialog.patterns);
    std::string kdialogFilters = std::string(dialog.patterns) + "|" + dialog.filterName;
    if (dialog.otherFilterName) {
        zenity.push_back(std::string("--file-filter=") + dialog.otherFilterName + " | " +
                         dialog.otherPatterns);
        kdialogFilters += std::string("\n") + dialog.otherPatterns + "|" + dialog.otherFilterName;
    }
    zenity.push_back("--file-filter=All files | *");
    return chooserWith(zenity, {"--title", dialog.title,
                                dialog.forSave ? "--getsavefilename" : "--getopenfilename", ".",
                                kdialogFilters + "\n*|All files"});
}

namespace {

// Runs chooser for one path, or asks on the console where there is no chooser.
bool askWith(const std::vector<std::string>& chooser, const char* title, const char* prompt,
             std::string& path, const ConsoleInput& console) {
    if (chooser.empty()) {
        if (!console.terminal) return cannotAsk(title);
        return askOnConsole(prompt, path, console.stream);
    }
    std::string answer;
    if (runAndCapture(chooser, answer) != 0) return false;
    return acceptPath(firstLine(answer), path);
}

}  // namespace

bool askForFile(FileCommand command, std::string& path, const ConsoleInput& console) {
    const CommandDialog dialog = dialogOf(command);
    return askWith(chooserCommand(command), dialog.title, dialog.prompt, path, console);
}

bool cannotAsk(const char* title) {
    consolePrintf(
        "%s : cannot ask for a file (no zenity or kdialog, and standard input is not a "
        "terminal)\n",
        title);
    return false;
}

bool askForFolder(const char* prompt, std::string& path, const ConsoleInput& console) {
    // The title is the command: the prompt without its last word ("Extract textures to").
    const std::string title = std::string(prompt).substr(0, std::string(prompt).rfind(' '));
    return askWith(chooserWith({"--file-selection", "--directory", "--title=" + title},
                               {"--title", title, "--getexistingdirectory", "."}),
                   title.c_str(), prompt, path, console);
}
