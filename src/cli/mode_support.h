#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

#include "source/source.h"

// Pieces every mode shares: argument checks, the usage-error lines and the batch loop.

constexpr const char* kProgramName = "veldraxis-viewer";

// A value that names a file: one that starts with '-' is a mistaken option, except a lone "-"
// where standard input is allowed.
CLI::Validator fileNameCheck(bool standardInputAllowed);

// --quiet: the loaders' lines are left out, so that a batch prints only its own lines.
void addQuietFlag(CLI::App& app, bool& quiet);

// Prints what is wrong and where the usage is, on standard error; returns kExitUsage.
// mode is the mode's option ("--render"), or empty for the viewer itself.
int usageError(const std::string& mode, const std::string& what);

// ARCHIVE...: the archives a mode works on (- for standard input).
void addArchiveArguments(CLI::App& app, std::vector<std::string>& archives);
// A required file name that cannot be standard input, such as IN or OUT.
void addFileArgument(CLI::App& app, const char* name, std::string& path,
                     const std::string& description);
// ARCHIVE: the one archive a mode works on (- for standard input), the demo without one.
void addArchiveArgument(CLI::App& app, std::string& archive);

// Runs work for each archive in turn and goes on past a failure: kExitDone when every run
// succeeded, else kExitFailed. On a terminal a progress line "[k/n] NAME" stays up to date.
// A list that could not be read whole (failed) ends as kExitFailed too.
int forEachArchive(const std::vector<Source>& archives,
                   const std::function<int(const Source& archive)>& work, bool failed = false);

// Makes the plan's folder when it has one, then runs work for each archive with its output file
// as forEachArchive does; kExitFailed when the folder cannot be made.
struct OutputPlan;
int writeEachArchive(
    const OutputPlan& plan, const std::vector<Source>& archives,
    const std::function<int(const Source& archive, const std::string& output)>& work,
    bool failed = false);
