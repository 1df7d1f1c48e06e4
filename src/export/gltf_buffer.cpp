#include "export/gltf_buffer.h"

#include <algorithm>
#include <cstring>

int componentsOf(int type) {
    switch (type) {
        case TINYGLTF_TYPE_VEC2:
            return 2;
        case TINYGLTF_TYPE_VEC3:
            return 3;
        case TINYGLTF_TYPE_VEC4:
            return 4;
        case TINYGLTF_TYPE_MAT4:
            return 16;
        default:
            return 1;
    }
}

GltfBuffer::GltfBuffer(tinygltf::Model& doc) : doc_(doc) {
    if (doc_.buffers.empty()) doc_.buffers.emplace_back();
}

int GltfBuffer::addView(const void* bytes, size_t size, int target) {
    std::vector<unsigned char>& data = doc_.buffers[0].data;
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = data.size();
    view.byteLength = size;
    view.target = target;
    const auto* first = static_cast<const unsigned char*>(bytes);
    data.insert(data.end(), first, first + size);
    data.resize((data.size() + 3) & ~size_t{3}, 0);
    doc_.bufferViews.push_back(view);
    return static_cast<int>(doc_.bufferViews.size() - 1);
}

int GltfBuffer::addFloats(const std::vector<float>& values, int type, int target, bool bounds) {
    const size_t components = static_cast<size_t>(componentsOf(type));
    tinygltf::Accessor accessor;
    accessor.bufferView = addView(values.data(), values.size() * sizeof(float), target);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.type = type;
    accessor.count = values.size() / components;
    if (bounds && !values.empty()) {
        accessor.minValues.assign(values.begin(), values.begin() + components);
        accessor.maxValues = accessor.minValues;
        for (size_t i = 0; i < values.size(); ++i) {
            double& low = accessor.minValues[i % components];
            double& high = accessor.maxValues[i % components];
            low = std::min<double>(low, values[i]);
            high = std::max<double>(high, values[i]);
        }
    }
    doc_.accessors.push_back(accessor);
    return static_cast<int>(doc_.accessors.size() - 1);
}

int GltfBuffer::addUnsignedShorts(const std::vector<uint16_t>& values, int type, int target) {
    tinygltf::Accessor accessor;
    accessor.bufferView = addView(values.data(), values.size() * sizeof(uint16_t), target);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
    accessor.type = type;
    accessor.count = values.size() / static_cast<size_t>(componentsOf(type));
    doc_.accessors.push_back(accessor);
    return static_cast<int>(doc_.accessors.size() - 1);
}
