#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/console.h"
#include "shell/headless_modes.h"
#include "shell/startup.h"

namespace {

void printUsage(const char* program) {
    std::printf(
        "Usage: %s [GLUT options] [ARCHIVE]\n"
        "Shows the model archive ARCHIVE (the built-in demo model when none is given) in a main,\n"
        "a side and an up view, with a control panel. See README.md for the mouse, keys and "
        "menu.\n\n%s",
        program, headlessUsage());
}

// The modes that need no display, by their option.
using ModeRunner = int (*)(const std::vector<std::string>&);
ModeRunner headlessMode(const char* option) {
    if (std::strcmp(option, "--render") == 0) return runRenderMode;
    if (std::strcmp(option, "--texture") == 0) return runTextureMode;
    if (std::strcmp(option, "--info") == 0) return runInfoMode;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    // Console lines must show at once, also when standard output is a pipe or a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 1 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        printUsage(argv[0]);
        return 0;
    }
    if (argc > 1) {
        if (ModeRunner run = headlessMode(argv[1])) {
            setConsoleTarget(ConsoleTarget::StandardError);
            return run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    return runViewer(argc, argv);
}
