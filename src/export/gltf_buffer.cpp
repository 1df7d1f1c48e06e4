#include "export/gltf_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

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

uint8_t* GltfBuffer::append(size_t size) {
    if (size > capacity_ - size_) {
        const size_t wanted = std::max({size_ + size, capacity_ + capacity_ / 2, size_t{1} << 16});
        void* grown = std::realloc(bytes_.get(), wanted);
        if (!grown) throw std::bad_alloc();
        (void)bytes_.release();
        bytes_.reset(static_cast<uint8_t*>(grown));
        capacity_ = wanted;
    }
    uint8_t* end = bytes_.get() + size_;
    size_ += size;
    return end;
}

int GltfBuffer::addView(const void* bytes, size_t size, int target) {
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = size_;
    view.byteLength = size;
    view.target = target;
    const size_t padding = (4 - size % 4) % 4;
    uint8_t* at = append(size + padding);
    if (size) std::memcpy(at, bytes, size);
    std::memset(at + size, 0, padding);
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
