#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tinygltf {
class Model;
}

// The largest glTF file, and the most bytes of files beside it, that an import reads. An export
// of the largest archive stays far below; anything beyond is not a pose to bring back.
constexpr size_t kGltfSizeLimit = size_t{512} << 20;

// Parses a .glb or .gltf held in memory. Buffers come from the bytes themselves, data: URIs or
// files in folder (the file's own folder) and below it: no absolute path, no "..", no other
// scheme. Images are never decoded. "" on success, else the one reason it cannot be read.
std::string parseGltf(const std::vector<uint8_t>& bytes, const std::string& folder,
                      tinygltf::Model& doc);

// Reads path, bounded by kGltfSizeLimit, and parses it; "" or the reason.
std::string readGltfFile(const std::string& path, tinygltf::Model& doc);
