#pragma once

#include <memory>

#include "model/model_loading.h"

class Model;

// Loads the archive at path, or the built-in demo model for nullptr, into a new model, printing
// the loaders' lines as the viewer does at start-up.
std::unique_ptr<Model> loadArchiveModel(const char* path, LoadedModel& loaded);
