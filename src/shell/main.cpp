#include <cstdio>
#include <cstring>

#include "shell/startup.h"

namespace {

void printUsage(const char* program) {
    std::printf(
        "Usage: %s [GLUT options] [ARCHIVE]\n"
        "Shows the model archive ARCHIVE (the built-in demo model when none is given) in a main,\n"
        "a side and an up view, with a control panel. See README.md for the mouse, keys and "
        "menu.\n",
        program);
}

}  // namespace

int main(int argc, char** argv) {
    // Console lines must show at once, also when standard output is a pipe or a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 1 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        printUsage(argv[0]);
        return 0;
    }
    return runViewer(argc, argv);
}
