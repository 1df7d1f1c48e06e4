#pragma once

#include <string>
#include <vector>

namespace tinygltf {
class Model;
}

// Reads accessor index of a parsed glTF as floats, components per element (1 scalar, 3 vec3,
// 4 vec4, 16 mat4). Every index, offset, stride and count is checked against the buffers before
// anything is allocated. "" on success, else what is wrong, naming the accessor.
std::string readFloats(const tinygltf::Model& doc, int index, int components,
                       std::vector<float>& out);
