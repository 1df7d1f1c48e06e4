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

// One command-line mode: its option word, its usage and help, and how it declares its
// arguments on a CLI11 app (binding them to state that the returned runner keeps).
struct CliMode {
    const char* option;    // "--render"
    const char* synopsis;  // what follows the option in the usage line
    const char* summary;   // what the mode does, for --help
    ModeRunner (*declare)(CLI::App& app);
};

// Every mode, in the order --help lists them.
const std::vector<CliMode>& cliModes();

// The modes' declarations, one per mode file.
ModeRunner declareExportMode(CLI::App& app);
ModeRunner declareRenderMode(CLI::App& app);
ModeRunner declareTextureMode(CLI::App& app);
ModeRunner declareInfoMode(CLI::App& app);
