#pragma once

#include <string>
#include <vector>

#include "shell/model_takeover.h"

struct ViewerState;

// What showing another archive came to: shown (None) or refused, and the lines it gave in order
// (the loaders', and the following's), held back for the command to print or drop.
struct Replacement {
    Refusal refusal = Refusal::None;
    std::vector<std::string> lines;
};

// Loads the archive at path in place of the model shown, taking over from it what how keeps
// (model_takeover.h): mouse mode and zoom always stay. The model shown stays, whole, when the
// new one is refused. Every command that shows another model comes through here.
Replacement replaceModel(ViewerState& viewer, const char* path, Takeover how);

// The name the panel shows for the archive at path (nullptr: the demo model).
std::string modelNameOf(const char* path);
