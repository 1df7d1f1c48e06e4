#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "console/console.h"

namespace {

constexpr const char* kExitStatuses =
    "Exit status: 0 done; 1 a file could not be read or written, or a result would be empty "
    "(one line on standard error for each); 2 a usage error, nothing written. --diff alone: 0 "
    "the same, 1 different, 2 trouble (a usage error, an archive that cannot be read, a picture "
    "that cannot be written).";

// Words wrapped at width columns, each line indented.
std::string wrapped(const std::string& text, size_t indent, size_t width = 79) {
    std::string out, line;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find(' ', from);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(from, end - from);
        if (!line.empty() && indent + line.size() + 1 + word.size() > width) {
            out += std::string(indent, ' ') + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        from = end + 1;
    }
    if (!line.empty()) out += std::string(indent, ' ') + line + "\n";
    return out;
}

const CliMode* modeNamedIn(const std::vector<std::string>& args, size_t& at) {
    for (size_t i = 0; i < args.size(); ++i) {
        for (const CliMode& mode : cliModes()) {
            if (args[i] == mode.option) {
                at = i;
                return &mode;
            }
        }
    }
    return nullptr;
}

// The mode's options as --help lists them: name, value name, description.
std::string optionList(CLI::App& app) {
    std::string out;
    for (const CLI::Option* option : app.get_options()) {
        if (option == app.get_help_ptr()) continue;
        std::string name =
            option->get_positional() ? option->get_name() : option->get_name(false, true);
        if (!option->get_positional() && !option->get_type_name().empty()) {
            name += " " + option->get_type_name();
        }
        out += "    " + name + "\n" + wrapped(option->get_description(), 8);
    }
    return out;
}

std::unique_ptr<CLI::App> modeApp(const CliMode& mode, ModeRunner& runner) {
    auto app =
        std::make_unique<CLI::App>(mode.summary, std::string(kProgramName) + " " + mode.option);
    runner = mode.declare(*app);
    app->footer(kExitStatuses);
    return app;
}

int runMode(const CliMode& mode, std::vector<std::string> args) {
    ModeRunner runner;
    const auto app = modeApp(mode, runner);
    for (const CliMode& other : cliModes()) {
        if (std::find(args.begin(), args.end(), other.option) != args.end()) {
            return usageError(mode.option, std::string(other.option) +
                                               " is another mode: give "
                                               "one mode at a time");
        }
    }
    std::reverse(args.begin(), args.end());  // CLI11 takes its words last first
    try {
        app->parse(args);
    } catch (const CLI::CallForHelp&) {
        std::printf("%s", app->help().c_str());
        return kExitDone;
    } catch (const CLI::ParseError& error) {
        return usageError(mode.option, error.what());
    }
    return runner();
}

bool isGlutOptionWithValue(const std::string& arg) {
    return arg == "-display" || arg == "-geometry";
}

bool isGlutFlag(const std::string& arg) {
    for (const char* flag : {"-iconic", "-direct", "-indirect", "-gldebug", "-sync"}) {
        if (arg == flag) return true;
    }
    return false;
}

// Standard output carries a mode's results and help, so its lines go to standard error; a
// console already captured (tests) stays captured.
class ModeConsole {
  public:
    ModeConsole() : previous_(consoleTarget()) {
        if (previous_ == ConsoleTarget::StandardOutput) {
            setConsoleTarget(ConsoleTarget::StandardError);
        }
    }
    ~ModeConsole() { setConsoleTarget(previous_); }
    ModeConsole(const ModeConsole&) = delete;
    ModeConsole& operator=(const ModeConsole&) = delete;

  private:
    ConsoleTarget previous_;
};

}  // namespace

std::string programVersion() {
    return std::string(kProgramName) + " " + VELDRAXIS_VERSION + "\n";
}

std::string programHelp() {
    std::string help = std::string("Usage: ") + kProgramName + " [GLUT options] [ARCHIVE]\n" +
                       wrapped(
                           "Shows the model archive ARCHIVE (the built-in demo model when "
                           "none is given) in a main, a side and an up view, with a control "
                           "panel. GLUT's options: -display NAME, -geometry WxH+X+Y, "
                           "-iconic, -direct, -indirect, -gldebug, -sync.",
                           2) +
                       "\nWithout a display (DISPLAY may be unset):\n";
    for (const CliMode& mode : cliModes()) {
        ModeRunner runner;
        const auto app = modeApp(mode, runner);
        help += std::string("\n  ") + kProgramName + " " + mode.option + " " +
                usageLine(modeUsage(mode)) + "\n" + wrapped(mode.summary, 4) + optionList(*app);
    }
    help += "\n" +
            wrapped(std::string("Each mode's own help: ") + kProgramName +
                        " --render --help (and so on). An output never replaces an "
                        "input; several archives need a folder output.",
                    0) +
            wrapped(kExitStatuses, 0) + "\n" + kProgramName + " --version prints the version.\n" +
            "The mouse, keys, menu, files and examples: man " + kProgramName + "\n";
    return help;
}

int runCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) return -1;
    ModeConsole console;
    if (args[0] == "--help" || args[0] == "-h") {
        std::printf("%s", programHelp().c_str());
        return kExitDone;
    }
    if (args[0] == "--version") {
        if (args.size() > 1) return usageError("", "--version takes no arguments");
        std::printf("%s", programVersion().c_str());
        return kExitDone;
    }
    size_t at = 0;
    const CliMode* mode = modeNamedIn(args, at);
    if (!mode) return -1;
    std::vector<std::string> rest = args;
    rest.erase(rest.begin() + static_cast<long>(at));
    return runMode(*mode, rest);
}

int checkViewerArguments(const std::vector<std::string>& args) {
    ModeConsole console;
    std::vector<std::string> archives;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (isGlutOptionWithValue(arg)) {
            if (i + 1 >= args.size()) return usageError("", arg + " needs a value");
            ++i;
        } else if (isGlutFlag(arg)) {
            continue;
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("", "unknown option " + arg);
        } else {
            archives.push_back(arg);
        }
    }
    if (archives.size() > 1) {
        return usageError("", "the viewer shows one archive at a time; got " + archives[0] +
                                  " and " + archives[1]);
    }
    return 0;
}
