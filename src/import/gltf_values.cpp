#include "import/gltf_values.h"

#include <tiny_gltf.h>

#include <cstring>

#include "io/bounded_reader.h"
#include "io/byte_order.h"

std::string readFloats(const tinygltf::Model& doc, int index, int components,
                       std::vector<float>& out) {
    const std::string name = "accessor " + std::to_string(index);
    if (index < 0 || static_cast<size_t>(index) >= doc.accessors.size())
        return name + " is missing";
    const tinygltf::Accessor& a = doc.accessors[index];
    if (a.sparse.isSparse) return name + " is sparse";
    if (a.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT) return name + " does not hold floats";
    if (tinygltf::GetNumComponentsInType(a.type) != components) {
        return name + " has " + std::to_string(tinygltf::GetNumComponentsInType(a.type)) +
               " components, not " + std::to_string(components);
    }
    if (a.bufferView < 0 || static_cast<size_t>(a.bufferView) >= doc.bufferViews.size()) {
        return name + " has no buffer view";
    }
    const tinygltf::BufferView& view = doc.bufferViews[a.bufferView];
    if (view.buffer < 0 || static_cast<size_t>(view.buffer) >= doc.buffers.size()) {
        return name + " has no buffer";
    }
    const std::vector<unsigned char>& buffer = doc.buffers[view.buffer].data;
    const BoundedReader bufferBytes(buffer.data(), buffer.size());
    if (!bufferBytes.contains(view.byteOffset, view.byteLength)) {
        return name + "'s buffer view lies outside its buffer";
    }
    const BoundedReader viewBytes = bufferBytes.slice(view.byteOffset, view.byteLength);
    const size_t element = 4 * static_cast<size_t>(components);
    const size_t stride = view.byteStride ? view.byteStride : element;
    if (stride < element) return name + "'s elements overlap";
    out.clear();
    if (a.count == 0) return "";
    // The last element must end inside the view: count - 1 strides, then one element.
    if (a.count - 1 > view.byteLength / stride ||
        !viewBytes.contains(a.byteOffset, (a.count - 1) * stride + element)) {
        return name + " runs past its buffer view";
    }
    const uint8_t* base = buffer.data() + view.byteOffset + a.byteOffset;
    out.resize(a.count * components);
    for (size_t i = 0; i < a.count; ++i) {
        for (int c = 0; c < components; ++c) {
            const uint32_t bits = readLE32(base + i * stride + 4 * c);
            std::memcpy(&out[i * components + c], &bits, sizeof bits);
        }
    }
    return "";
}
