#pragma once

#include <cstdint>
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

// The same for any component type: unsigned integers are scaled to 0..1 when normalized
// (colours and weights of another tool), else taken as they are (joints). A components of 0
// takes the accessor's own, returned in *actual.
std::string readNumbers(const tinygltf::Model& doc, int index, int components, bool normalized,
                        std::vector<float>& out, int* actual = nullptr);

// A primitive's vertex indices: unsigned bytes, shorts or ints.
std::string readIndices(const tinygltf::Model& doc, int index, std::vector<uint32_t>& out);
