#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "shell/file_dialog.h"

// Asks for the pose files "Play poses" plays, in order: the desktop's chooser with several files
// allowed, or without one the console, one path a line until an empty line (or the end of the
// input). false when nothing was chosen.
bool askForPoseFiles(std::vector<std::string>& paths,
                     const ConsoleInput& console = standardInput());
