#pragma once

class Model;

// Compiles the part lists and the axes list and uploads the texture page into the current GL
// context's share group.
void prepareWindow(Model& model);
