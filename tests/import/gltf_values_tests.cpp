// Accessors read as floats: the bounds of a buffer view inside its buffer and of an accessor
// inside its view, up to the last byte and past it.

#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "import/gltf_values.h"

namespace {

// One buffer of the floats 0, 1, 2, ... (bytes given), one view and one scalar accessor on it.
tinygltf::Model oneAccessor(size_t bufferBytes, size_t viewOffset, size_t viewLength,
                            size_t accessorOffset, size_t count) {
    tinygltf::Model doc;
    tinygltf::Buffer buffer;
    buffer.data.resize(bufferBytes);
    for (size_t k = 0; 4 * k + 4 <= bufferBytes; ++k) {
        const float value = static_cast<float>(k);
        std::memcpy(buffer.data.data() + 4 * k, &value, sizeof value);
    }
    doc.buffers.push_back(buffer);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = viewOffset;
    view.byteLength = viewLength;
    doc.bufferViews.push_back(view);
    tinygltf::Accessor accessor;
    accessor.bufferView = 0;
    accessor.byteOffset = accessorOffset;
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.type = TINYGLTF_TYPE_SCALAR;
    accessor.count = count;
    doc.accessors.push_back(accessor);
    return doc;
}

std::string read(const tinygltf::Model& doc, std::vector<float>& out) {
    return readFloats(doc, 0, 1, out);
}

TEST(GltfValues, AnAccessorEndingOnTheViewsLastByteIsRead) {
    std::vector<float> out;
    EXPECT_EQ(read(oneAccessor(32, 8, 24, 4, 5), out), "");
    EXPECT_EQ(out, (std::vector<float>{3, 4, 5, 6, 7}));
}

TEST(GltfValues, AViewOrAccessorPastItsEndIsRefused) {
    const size_t huge = std::numeric_limits<size_t>::max();
    std::vector<float> out;
    EXPECT_EQ(read(oneAccessor(32, 8, 25, 0, 1), out),
              "accessor 0's buffer view lies outside its buffer");
    EXPECT_EQ(read(oneAccessor(32, huge, 2, 0, 1), out),
              "accessor 0's buffer view lies outside its buffer");
    EXPECT_EQ(read(oneAccessor(32, 8, 24, 8, 5), out), "accessor 0 runs past its buffer view");
    EXPECT_EQ(read(oneAccessor(32, 8, 24, huge - 2, 1), out),
              "accessor 0 runs past its buffer view");
}

}  // namespace
