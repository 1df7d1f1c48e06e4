#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "io/file_saving.h"
#include "io/result.h"

namespace tinygltf {
class Model;
}

// tinygltf's JSON for doc, as it would write it in a .glb whose first buffer holds
// binaryLength bytes, while that buffer's data is left empty in doc: tinygltf would copy the
// bytes twice to write them, so the binary chunk is written around its JSON instead.
Result<std::string> glbJson(const tinygltf::Model& doc, size_t binaryLength);

// Saves a .glb of the JSON and the binary chunk (none when size is 0), the chunk written from
// where it lies. Padding as tinygltf's: spaces after the JSON, zeros after the binary chunk.
// Fails with "the file would be 4 GiB or larger" when the container cannot say its length.
Result<> saveGlb(const std::string& path, const std::string& json, const uint8_t* binary,
                 size_t size);
