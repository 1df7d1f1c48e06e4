#pragma once

#include <string>
#include <vector>

// Command-line modes that need no display. Each takes the arguments after its own option and
// returns the exit status: 0 done, 1 a file could not be read or written (with one line on
// standard error naming it), 2 a usage error. The loaders' lines go to standard error, so
// standard output carries only the mode's own output.

// --render OUT.png [--pose POSEFILE] [ARCHIVE]...: the three views side by side in one PNG.
int runRenderMode(const std::vector<std::string>& args);
// --texture OUT.png [ARCHIVE]: the decoded texture page as an RGBA PNG.
int runTextureMode(const std::vector<std::string>& args);
// --info [--json] [ARCHIVE]: what the archive holds and what went wrong while loading it.
int runInfoMode(const std::vector<std::string>& args);

// The usage text of the three modes, for --help.
const char* headlessUsage();
