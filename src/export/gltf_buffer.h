#pragma once

#include <tiny_gltf.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

// Appends typed arrays to the document's one buffer, each in a buffer view of its own, and
// describes them with accessors. The bytes stay here, outside the document, so that a .glb's
// binary chunk is written from where it was made; growing it moves no bytes once it is large
// (realloc remaps the pages of a large block).
class GltfBuffer {
  public:
    explicit GltfBuffer(tinygltf::Model& doc);

    // A buffer view over bytes, padded to four bytes; target 0 for none. Returns its index.
    int addView(const void* bytes, size_t size, int target = 0);

    // An accessor over a new view holding count elements of type (TINYGLTF_TYPE_*) with float
    // components; with bounds, it carries the per-component minimum and maximum.
    int addFloats(const std::vector<float>& values, int type, int target, bool bounds = false);
    int addUnsignedShorts(const std::vector<uint16_t>& values, int type, int target);

    const uint8_t* data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    // The bytes as the document's own (a .gltf embeds them).
    std::vector<unsigned char> copy() const { return {data(), data() + size_}; }

  private:
    struct Free {
        void operator()(uint8_t* bytes) const { std::free(bytes); }
    };
    uint8_t* append(size_t size);

    tinygltf::Model& doc_;
    std::unique_ptr<uint8_t, Free> bytes_;
    size_t size_ = 0, capacity_ = 0;
};

// Components per element of a TINYGLTF_TYPE_* value.
int componentsOf(int type);
