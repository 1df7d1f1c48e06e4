#include <gtest/gtest.h>

#include <vector>

#include "import/polygon_matching.h"

namespace {

constexpr uint8_t kTexturedTriangle = 0, kShadedTriangle = 2, kShadedQuad = 3;

BlockPolygon polygon(uint8_t kind, std::vector<std::array<int, 3>> places, int colour) {
    BlockPolygon p;
    p.kind = kind;
    p.cornerCount = static_cast<uint8_t>(places.size());
    for (size_t k = 0; k < places.size(); ++k) {
        for (int a = 0; a < 3; ++a) {
            p.corners[k].position[a] = places[k][a];
            p.corners[k].attribute[a] = a < 2 || !p.textured() ? colour + a : 0;
        }
    }
    return p;
}

// The polygon's corners a, b, c as one file triangle, each as it was.
PartTriangle corners(const BlockPolygon& p, int a, int b, int c) {
    PartTriangle t{};
    t.textured = p.textured();
    const int picked[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 3; ++i) {
            t.position[k][i] = static_cast<float>(p.corners[picked[k]].position[i]);
            t.attribute[k][i] = static_cast<float>(p.corners[picked[k]].attribute[i]);
        }
    }
    return t;
}

}  // namespace

// An untouched export brings each polygon back as its own fan, textured ones first: that is
// found without matching. Anything else is left to the matcher.
TEST(ComesBackInOrder, OnlyEachPolygonsOwnFanInPolygonOrder) {
    const std::vector<BlockPolygon> polygons = {
        polygon(kShadedQuad, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, 40),
        polygon(kTexturedTriangle, {{0, 0, 5}, {10, 0, 5}, {0, 10, 5}}, 16),
        polygon(kShadedTriangle, {{0, 0, 9}, {10, 0, 9}, {0, 0, 9}}, 80),  // degenerate
        polygon(kShadedTriangle, {{20, 0, 0}, {30, 0, 0}, {20, 10, 0}}, 120),
    };
    const PartTriangle quadFirst = corners(polygons[0], 0, 1, 2);
    const PartTriangle quadSecond = corners(polygons[0], 0, 2, 3);
    const PartTriangle textured = corners(polygons[1], 1, 2, 0);  // rotated: the same triangle
    const PartTriangle degenerate = corners(polygons[2], 0, 1, 2);
    const PartTriangle last = corners(polygons[3], 0, 1, 2);

    EXPECT_TRUE(comesBackInOrder(polygons, {textured, quadFirst, quadSecond, degenerate, last}));
    EXPECT_TRUE(comesBackInOrder(polygons, {quadFirst, quadSecond, textured, last}));
    EXPECT_TRUE(comesBackInOrder({}, {}));

    // Turned over, in another order, one left out, one more, one corner moved or recoloured.
    EXPECT_FALSE(comesBackInOrder(
        polygons, {textured, quadFirst, quadSecond, corners(polygons[3], 0, 2, 1)}));
    EXPECT_FALSE(comesBackInOrder(polygons, {textured, quadSecond, quadFirst, last}));
    EXPECT_FALSE(comesBackInOrder(polygons, {textured, quadFirst, last}));
    EXPECT_FALSE(comesBackInOrder(polygons, {textured, quadFirst, quadSecond, last, last}));
    PartTriangle moved = last;
    moved.position[2][0] += 1.0f;
    EXPECT_FALSE(comesBackInOrder(polygons, {textured, quadFirst, quadSecond, moved}));
    PartTriangle recoloured = last;
    recoloured.attribute[1][2] += 2.0f;
    EXPECT_FALSE(comesBackInOrder(polygons, {textured, quadFirst, quadSecond, recoloured}));
    // The quad's other diagonal is a change of shape, for the matcher to judge.
    EXPECT_FALSE(comesBackInOrder(
        polygons, {textured, corners(polygons[0], 0, 1, 3), corners(polygons[0], 1, 2, 3), last}));
}
