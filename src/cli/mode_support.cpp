#include "cli/mode_support.h"

#include <unistd.h>

#include "cli/archive_input.h"
#include "cli/mode_table.h"
#include "cli/output_rules.h"
#include "console/console.h"

CLI::Validator fileNameCheck(bool standardInputAllowed) {
    return CLI::Validator(
        [standardInputAllowed](std::string& value) -> std::string {
            if (value == "-" && standardInputAllowed) return "";
            if (!value.empty() && value[0] == '-') {
                return "'" + value + "' looks like an option, not a file name (write ./" + value +
                       " for a file of that name)";
            }
            if (value.empty()) return "an empty file name";
            return "";
        },
        "");
}

void addQuietFlag(CLI::App& app, bool& quiet) {
    app.add_flag("--quiet", quiet, "Leave out the loaders' lines; print only the mode's own");
}

int usageError(const std::string& mode, const std::string& what) {
    const std::string command =
        mode.empty() ? kProgramName : std::string(kProgramName) + " " + mode;
    consolePrintf("%s: %s\nRun '%s --help' for the usage.\n", command.c_str(), what.c_str(),
                  command.c_str());
    return kExitUsage;
}

void addArchiveArguments(CLI::App& app, std::vector<std::string>& archives) {
    app.add_option("ARCHIVE", archives,
                   "Model archives (- for standard input); the built-in demo without one")
        ->type_name("FILE")
        ->check(fileNameCheck(true));
}

void addFileArgument(CLI::App& app, const char* name, std::string& path,
                     const std::string& description) {
    app.add_option(name, path, description)
        ->type_name("FILE")
        ->required()
        ->check(fileNameCheck(false));
}

void addArchiveArgument(CLI::App& app, std::string& archive) {
    app.add_option("ARCHIVE", archive,
                   "The model archive (- for standard input); the built-in demo without one")
        ->type_name("FILE")
        ->check(fileNameCheck(true));
}

int writeEachArchive(
    const OutputPlan& plan, const std::vector<Source>& archives,
    const std::function<int(const Source& archive, const std::string& output)>& work, bool failed) {
    if (!makeOutputFolder(plan)) return kExitFailed;
    size_t next = 0;
    return forEachArchive(
        archives, [&](const Source& archive) { return work(archive, plan.files[next++]); }, failed);
}

int forEachArchive(const std::vector<Source>& archives,
                   const std::function<int(const Source& archive)>& work, bool failed) {
    const bool progress = archives.size() > 1 && ::isatty(STDERR_FILENO);
    int status = failed ? kExitFailed : kExitDone;
    bool showing = false;
    const auto clear = [&showing] {
        std::fprintf(stderr, "\r\33[2K");
        showing = false;
    };
    for (size_t k = 0; k < archives.size(); ++k) {
        if (!progress) {
            if (work(archives[k]) != kExitDone) status = kExitFailed;
            continue;
        }
        // The progress line shows until the run prints a line, which takes its place.
        std::fprintf(stderr, "\r\33[2K[%zu/%zu] %s", k + 1, archives.size(),
                     archives[k].name().c_str());
        std::fflush(stderr);
        showing = true;
        setBeforeNextPrint(clear);
        const int result = work(archives[k]);
        setBeforeNextPrint(nullptr);
        if (result != kExitDone) status = kExitFailed;
    }
    if (showing) clear();
    return status;
}
