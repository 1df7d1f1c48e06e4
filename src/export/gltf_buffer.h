#pragma once

#include <tiny_gltf.h>

#include <cstdint>
#include <vector>

// Appends typed arrays to the document's one buffer, each in a buffer view of its own, and
// describes them with accessors.
class GltfBuffer {
  public:
    explicit GltfBuffer(tinygltf::Model& doc);

    // A buffer view over bytes, padded to four bytes; target 0 for none. Returns its index.
    int addView(const void* bytes, size_t size, int target = 0);

    // An accessor over a new view holding count elements of type (TINYGLTF_TYPE_*) with float
    // components; with bounds, it carries the per-component minimum and maximum.
    int addFloats(const std::vector<float>& values, int type, int target, bool bounds = false);
    int addUnsignedShorts(const std::vector<uint16_t>& values, int type, int target);

  private:
    tinygltf::Model& doc_;
};

// Components per element of a TINYGLTF_TYPE_* value.
int componentsOf(int type);
