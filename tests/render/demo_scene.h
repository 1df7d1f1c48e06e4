#pragma once

class Model;

namespace gltest {

// Loads the built-in demo archive into an empty model the way the viewer does, then shows every
// part and selects the whole model (selectedBone).
bool loadDemoModel(Model& model);

}  // namespace gltest
