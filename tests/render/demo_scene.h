#pragma once

class Model;

namespace gltest {

// Loads the built-in demo archive into the shared model state and the model's texture page
// the way the viewer does, then shows every part and selects the whole model.
bool loadDemoModel(Model& model);

}  // namespace gltest
