#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Choosing a file for a command. The desktop's file chooser is a separate program (zenity, or
// kdialog where zenity is absent) run with an argument vector and waited for; with neither on PATH
// the console asks for the path. Every way ends in a full path of at most kMaxPoseFilePath
// characters or a cancellation.

constexpr size_t kMaxPoseFilePath = 511;

// The full path of an executable file called name in a PATH directory, or "" when none is.
std::string findOnPath(const std::string& name);

// Runs argv[0] (a path) with argv, reads its standard output to the end and waits for it.
// output keeps the first keep bytes (by default enough to tell one path too long); the rest
// is drained. The result is its exit status, or -1 when it could not be started or did not
// exit normally.
int runAndCapture(const std::vector<std::string>& argv, std::string& output,
                  size_t keep = kMaxPoseFilePath + 2);

// The commands that ask for a file. Each names the chooser's title and offers its own filter
// beside "All files".
enum class FileCommand { SaveMatrix, LoadMatrix, ExportGltf, OpenArchive, SavePicture };

// Where the console asks when no chooser is installed, and whether someone can answer there: a
// console that is not a terminal (a pipe, a file, /dev/null) cannot be asked.
struct ConsoleInput {
    FILE* stream;
    bool terminal;
};
ConsoleInput standardInput();

// The chooser's command line for the command, or empty when no chooser is on PATH.
std::vector<std::string> chooserCommand(FileCommand command);

// Asks for the command's file. false means cancelled: the chooser failed or gave no path, the
// console input ended or was empty, the path was too long (which prints one line), or there was
// no chooser and no terminal to ask on (one line says so).
bool askForFile(FileCommand command, std::string& path,
                const ConsoleInput& console = standardInput());

// Asks for a folder to write into, titled with the command (prompt names it: "Extract textures
// to"), with the chooser's folder dialog or on the console, by the same rules as askForFile.
bool askForFolder(const char* prompt, std::string& path,
                  const ConsoleInput& console = standardInput());

// Says in one line that the command cannot ask (no chooser, no terminal); returns false.
bool cannotAsk(const char* title);

// The chooser to run: zenity with zenityArguments where it is on PATH, else kdialog with
// kdialogArguments, else empty.
std::vector<std::string> chooserWith(std::vector<std::string> zenityArguments,
                                     std::vector<std::string> kdialogArguments);
// candidate as the chosen path: false when it is empty, or (with one line) longer than
// kMaxPoseFilePath.
bool acceptPath(const std::string& candidate, std::string& path);
// The first line of text, without its line end.
std::string firstLine(const std::string& text);
