#pragma once

#include <string>
#include <vector>

// The program's command line. args are the words after the program's name.

// Runs the mode that args name (its option may stand anywhere, once) and returns its exit
// status; also --help and --version. -1 when args name no mode: the windowed viewer's turn.
int runCommandLine(const std::vector<std::string>& args);

// The viewer's own arguments: GLUT's options (-display NAME, -geometry WxH+X+Y, -iconic,
// -direct, -indirect, -gldebug, -sync) pass, at most one archive may follow, anything else
// starting with '-' is a usage error. 0, or kExitUsage after the usage lines; nothing opens.
int checkViewerArguments(const std::vector<std::string>& args);

// The texts of --help and --version.
std::string programHelp();
std::string programVersion();
