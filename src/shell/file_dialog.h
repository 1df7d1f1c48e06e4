#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Choosing a pose file. The desktop's file chooser is a separate program (zenity, or kdialog
// where zenity is absent) run with an argument vector and waited for; with neither on PATH the
// console asks for the path. Every way ends in a full path of at most kMaxPoseFilePath
// characters or a cancellation.

constexpr size_t kMaxPoseFilePath = 511;

// The full path of an executable file called name in a PATH directory, or "" when none is.
std::string findOnPath(const std::string& name);

// Runs argv[0] (a path) with argv, reads its standard output to the end and waits for it.
// The result is its exit status, or -1 when it could not be started or did not exit normally.
int runAndCapture(const std::vector<std::string>& argv, std::string& output);

// The chooser's command line for this dialog, or empty when no chooser is on PATH.
std::vector<std::string> chooserCommand(bool forSave);

// The chooser's command line for the export's save dialog, offering .glb and .gltf.
std::vector<std::string> exportChooserCommand();

// Asks for the path of a glTF export, as askForPoseFile does.
bool askForExportFile(std::string& path, FILE* console = stdin);

// Asks for a pose file path. false means cancelled: the chooser failed or gave no path, the
// console input ended or was empty, or the path was too long (which prints one line).
bool askForPoseFile(bool forSave, std::string& path, FILE* console = stdin);
// Asks for a model archive the same way, with the open dialog.
bool askForArchive(std::string& path, FILE* console = stdin);
// Asks for a folder the same way, with the chooser's folder dialog.
bool askForFolder(const char* prompt, std::string& path, FILE* console = stdin);
