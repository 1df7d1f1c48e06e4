#include "import/gltf_values.h"

#include <tiny_gltf.h>

#include <cstring>

#include "io/bounded_reader.h"
#include "io/byte_order.h"

namespace {

// An accessor checked against its buffers: where element i's component c lies.
struct Located {
    const uint8_t* base = nullptr;
    size_t stride = 0, count = 0, componentBytes = 0;
    int components = 0, componentType = 0;
    const uint8_t* at(size_t i, int c) const { return base + i * stride + componentBytes * c; }
};

std::string locate(const tinygltf::Model& doc, int index, int components, Located& out) {
    const std::string name = "accessor " + std::to_string(index);
    if (index < 0 || static_cast<size_t>(index) >= doc.accessors.size())
        return name + " is missing";
    const tinygltf::Accessor& a = doc.accessors[index];
    if (a.sparse.isSparse) return name + " is sparse";
    const int size = tinygltf::GetComponentSizeInBytes(static_cast<uint32_t>(a.componentType));
    if (size != 1 && size != 2 && size != 4) return name + " has an unknown component type";
    const int actual = tinygltf::GetNumComponentsInType(a.type);
    if (actual < 1 || (components && actual != components)) {
        return name + " has " + std::to_string(actual) + " components, not " +
               std::to_string(components);
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
    const size_t element = static_cast<size_t>(size) * actual;
    const size_t stride = view.byteStride ? view.byteStride : element;
    if (stride < element) return name + "'s elements overlap";
    out = Located{};
    out.components = actual;
    out.componentType = a.componentType;
    out.componentBytes = static_cast<size_t>(size);
    out.stride = stride;
    if (a.count == 0) return "";
    // The last element must end inside the view: count - 1 strides, then one element.
    if (a.count - 1 > view.byteLength / stride ||
        !viewBytes.contains(a.byteOffset, (a.count - 1) * stride + element)) {
        return name + " runs past its buffer view";
    }
    out.base = buffer.data() + view.byteOffset + a.byteOffset;
    out.count = a.count;
    return "";
}

float valueAt(const Located& l, size_t i, int c, bool normalized) {
    const uint8_t* p = l.at(i, c);
    switch (l.componentType) {
        case TINYGLTF_COMPONENT_TYPE_FLOAT: {
            const uint32_t bits = readLE32(p);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
            return normalized ? p[0] / 255.0f : p[0];
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
            return normalized ? readLE16(p) / 65535.0f : readLE16(p);
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
            return static_cast<float>(readLE32(p));
        case TINYGLTF_COMPONENT_TYPE_INT:
            return static_cast<float>(static_cast<int32_t>(readLE32(p)));
        case TINYGLTF_COMPONENT_TYPE_BYTE:
            return static_cast<int8_t>(p[0]);
        default:
            return static_cast<int16_t>(readLE16(p));
    }
}

}  // namespace

std::string readFloats(const tinygltf::Model& doc, int index, int components,
                       std::vector<float>& out) {
    if (index >= 0 && static_cast<size_t>(index) < doc.accessors.size() &&
        doc.accessors[index].componentType != TINYGLTF_COMPONENT_TYPE_FLOAT) {
        return "accessor " + std::to_string(index) + " does not hold floats";
    }
    return readNumbers(doc, index, components, false, out);
}

std::string readNumbers(const tinygltf::Model& doc, int index, int components, bool normalized,
                        std::vector<float>& out, int* actual) {
    Located l;
    const std::string error = locate(doc, index, components, l);
    out.clear();
    if (!error.empty()) return error;
    if (actual) *actual = l.components;
    out.resize(l.count * l.components);
    for (size_t i = 0; i < l.count; ++i) {
        for (int c = 0; c < l.components; ++c) {
            out[i * l.components + c] = valueAt(l, i, c, normalized);
        }
    }
    return "";
}

std::string readIndices(const tinygltf::Model& doc, int index, std::vector<uint32_t>& out) {
    Located l;
    const std::string error = locate(doc, index, 1, l);
    out.clear();
    if (!error.empty()) return error;
    const std::string name = "accessor " + std::to_string(index);
    if (l.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
        l.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
        l.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) {
        return name + " does not hold vertex indices";
    }
    out.resize(l.count);
    for (size_t i = 0; i < l.count; ++i) {
        const uint8_t* p = l.at(i, 0);
        out[i] = l.componentBytes == 1 ? p[0] : l.componentBytes == 2 ? readLE16(p) : readLE32(p);
    }
    return "";
}
