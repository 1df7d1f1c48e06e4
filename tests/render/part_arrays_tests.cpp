#include <gtest/gtest.h>

#include <vector>

#include "model/part_mesh.h"
#include "render/part_arrays.h"

namespace {

std::vector<float> shadedCorners(const PartArrays& arrays, const PartCorners& part) {
    const float* first = arrays.shaded() + part.shadedFirst * PartArrays::kShadedFloats;
    return {first, first + part.shadedCount * PartArrays::kShadedFloats};
}

std::vector<float> texturedCorners(const PartArrays& arrays, const PartCorners& part) {
    const float* first = arrays.textured() + part.texturedFirst * PartArrays::kTexturedFloats;
    return {first, first + part.texturedCount * PartArrays::kTexturedFloats};
}

}  // namespace

// A pentagon is the fan (0 1 2) (0 2 3) (0 3 4), each corner with its own colour; a textured
// quad is (0 1 2) (0 2 3) with its coordinates; a polygon of two corners is not drawn, and one
// with coordinates on only some corners is drawn untextured.
TEST(PartArrays, EachPolygonBecomesItsFanInItsPass) {
    PartMesh first, empty, second;
    first.beginPolygon();
    for (int k = 0; k < 5; ++k) first.addColoredVertex(k, 10 * k, 0, 0.1f * k, 0.5f, 1.0f);
    first.endPolygon();
    first.beginPolygon();
    first.addColoredVertex(0, 0, 0, 1, 1, 1);
    first.addColoredVertex(1, 0, 0, 1, 1, 1);
    first.endPolygon();
    second.beginPolygon();
    for (int k = 0; k < 4; ++k) second.addTexturedVertex(k, 0, 1, k * 64, 255 - k);
    second.endPolygon();
    second.beginPolygon();
    second.addTexturedVertex(7, 0, 0, 0, 0);
    second.addColoredVertex(8, 0, 0, 0.25f, 0.25f, 0.25f);
    second.addColoredVertex(9, 0, 0, 0.5f, 0.5f, 0.5f);
    second.endPolygon();

    const PartArrays arrays({&first, nullptr, &empty, &second});
    ASSERT_EQ(arrays.partCount(), 4u);
    const PartCorners& a = arrays.part(0);
    EXPECT_EQ(a.shadedFirst, 0u);
    EXPECT_EQ(a.shadedCount, 9u);
    EXPECT_EQ(a.texturedCount, 0u);
    std::vector<float> expected;
    for (int k : {0, 1, 2, 0, 2, 3, 0, 3, 4}) {
        expected.insert(expected.end(), {float(k), 10.0f * k, 0.0f, 0.1f * k, 0.5f, 1.0f});
    }
    EXPECT_EQ(shadedCorners(arrays, a), expected);

    for (size_t i : {1u, 2u}) {
        EXPECT_EQ(arrays.part(i).shadedFirst, 9u);
        EXPECT_EQ(arrays.part(i).shadedCount, 0u);
        EXPECT_EQ(arrays.part(i).texturedCount, 0u);
    }

    const PartCorners& d = arrays.part(3);
    EXPECT_EQ(d.texturedFirst, 0u);
    EXPECT_EQ(d.texturedCount, 6u);
    expected.clear();
    for (int k : {0, 1, 2, 0, 2, 3}) {
        expected.insert(expected.end(),
                        {float(k), 0.0f, 1.0f, k * 64 / 256.0f, (255 - k) / 256.0f});
    }
    EXPECT_EQ(texturedCorners(arrays, d), expected);
    EXPECT_EQ(d.shadedFirst, 9u);
    ASSERT_EQ(d.shadedCount, 3u);
    const std::vector<float> mixed = shadedCorners(arrays, d);
    EXPECT_EQ(mixed[0], 7.0f);
    EXPECT_EQ(mixed[6], 8.0f);
    EXPECT_EQ(mixed[9], 0.25f);
    EXPECT_EQ(mixed[12], 9.0f);
}

TEST(PartArrays, AModelWithoutPolygonsHasNoStorage) {
    PartMesh bare;
    const PartArrays arrays({&bare, &bare});
    EXPECT_EQ(arrays.shaded(), nullptr);
    EXPECT_EQ(arrays.textured(), nullptr);
    EXPECT_EQ(arrays.part(1).shadedCount, 0u);
    EXPECT_EQ(PartArrays().partCount(), 0u);
}
