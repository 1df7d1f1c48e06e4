#pragma once

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

// The exit statuses of every mode.
enum ExitStatus : int { kExitDone = 0, kExitFailed = 1, kExitUsage = 2 };

// A mode's work, made once its arguments have been parsed into the state it owns.
using ModeRunner = std::function<int()>;

// One command-line mode: its option word, its help, and how it declares its arguments on a
// CLI11 app (binding them to state that the returned runner keeps).
struct CliMode {
    const char* option;   // "--render"
    int order;            // where --help lists it: lowest first
    const char* summary;  // what the mode does, for --help
    ModeRunner (*declare)(CLI::App& app);
};

// Each mode file registers its mode with one of these at namespace scope. The mode files are
// linked as objects, not from an archive, so that no registration is left out.
struct ModeRegistration {
    explicit ModeRegistration(const CliMode& mode);
};

// Every mode, in the order --help lists them.
const std::vector<CliMode>& cliModes();

// One word of a mode's usage, as CLI11 knows the mode's arguments.
struct UsageWord {
    std::string name;   // "--pose", or a positional's "OUT"
    std::string value;  // what an option takes ("POSEFILE"); empty for a flag or a positional
    bool optional;
    bool repeated;
};

// What follows the mode's option in its usage: the positionals, the options in the order the
// mode declares them, and the last positional (the archives) at the end. --help is left out.
std::vector<UsageWord> modeUsage(const CliMode& mode);

// The usage as a line: "OUT [--pose POSEFILE]... [--quiet] [ARCHIVE]...".
std::string usageLine(const std::vector<UsageWord>& words);
