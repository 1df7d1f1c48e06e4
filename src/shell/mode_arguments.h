#pragma once

#include <string>

// Shared pieces of the command-line modes.

// An argument that starts with "--" is an option, never a file name.
inline bool isOption(const std::string& arg) {
    return arg.rfind("--", 0) == 0;
}

// true for the demo model (nullptr) and for an archive that can be opened and read; otherwise
// prints "<archive> cannot be read: <reason>" and returns false.
bool archiveReadable(const char* archive);
