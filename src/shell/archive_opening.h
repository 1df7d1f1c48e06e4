#pragma once

#include <memory>
#include <string>

#include "model/model_loading.h"

class Model;

// Loads the archive an argument names (a file, a member of a disc image, an item at an offset;
// a disc image or a container shows the first archive found in it), or the built-in demo model
// for nullptr, into a new model, printing the loaders' lines as the viewer does at start-up.
// shown is set to the argument that names what was loaded ("" for the demo), which the walk,
// the reload and the panel's name line go on from.
std::unique_ptr<Model> loadArchiveModel(const char* argument, LoadedModel& loaded,
                                        std::string& shown);
