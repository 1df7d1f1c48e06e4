#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
    // Console lines must show at once, also when standard output is a pipe or a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = runCommandLine(args);
    if (status >= 0) return status;
    if (const int usage = checkViewerArguments(args)) return usage;
    return runViewer(argc, argv);
}
