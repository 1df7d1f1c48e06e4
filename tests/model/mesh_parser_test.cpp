#include <gtest/gtest.h>

#include <string>

#include "archive_builder.h"
#include "model/part_mesh.h"

namespace {

namespace ab = archive_builder;

bool parse(const ab::Bytes& bytes, PartMesh& mesh, std::string* error = nullptr) {
    const Result<> status = mesh.parsePartMesh(BoundedReader(bytes.data(), bytes.size()));
    if (error) *error = status.message;
    return status.ok();
}

ab::MeshBlock fourVertices() {
    ab::MeshBlock block;
    block.vertices = {{1, 2, 3}, {-4, 5, -6}, {7, -8, 9}, {100, 200, -300}};
    return block;
}

TEST(MeshParser, AllZeroBlockHasNoPolygons) {
    const ab::Bytes zeros(20, 0);
    PartMesh mesh;
    EXPECT_TRUE(parse(zeros, mesh));
    EXPECT_FALSE(mesh.hasPolygons());
}

TEST(MeshParser, GroupsComeInOrderWithQuadCornersSwapped) {
    ab::MeshBlock block = fourVertices();
    block.shadedQuads.push_back(
        {{ab::vref(0), ab::vref(1), ab::vref(2), ab::vref(3)},
         {ab::RGB{10, 0, 0}, ab::RGB{20, 0, 0}, ab::RGB{30, 0, 0}, ab::RGB{40, 0, 0}}});
    block.shadedTriangles.push_back(
        {{ab::vref(3), ab::vref(2), ab::vref(1)},
         {ab::RGB{255, 255, 255}, ab::RGB{128, 64, 0}, ab::RGB{1, 2, 3}}});
    block.texturedQuads.push_back({{ab::vref(0), ab::vref(1), ab::vref(2), ab::vref(3)},
                                   {ab::UV{1, 2}, ab::UV{3, 4}, ab::UV{5, 6}, ab::UV{7, 8}},
                                   0});
    block.texturedTriangles.push_back({{ab::vref(2), ab::vref(1), ab::vref(0)},
                                       {ab::UV{0, 250}, ab::UV{255, 0}, ab::UV{9, 9}},
                                       16});
    PartMesh mesh;
    ASSERT_TRUE(parse(block.bytes(), mesh));
    ASSERT_EQ(mesh.polygonCount(), 4u);
    EXPECT_EQ(mesh.currentPolygon, -1);

    // Textured triangle: file order, v + row offset not wrapped (250 + 16 = 266).
    const PolygonView tri = mesh.polygon(0);
    ASSERT_TRUE(tri.isTextured());
    ASSERT_EQ(tri.cornerCount(), 3u);
    EXPECT_EQ(tri.position(0), Vec3(7, -8, 9));
    EXPECT_EQ(tri.position(2), Vec3(1, 2, 3));
    EXPECT_EQ(tri.texCoord(0), Vec3(0.0f, 266 / 256.0f, 0.0f));
    EXPECT_EQ(tri.texCoord(1), Vec3(255 / 256.0f, 16 / 256.0f, 0.0f));
    EXPECT_EQ(tri.texCoord(2), Vec3(9 / 256.0f, 25 / 256.0f, 0.0f));
    EXPECT_EQ(tri.color(0), Color3(1.0f, 1.0f, 1.0f));

    // Textured quad P, Q, R, S becomes P, Q, S, R; R keeps its own (u, v).
    const PolygonView quad = mesh.polygon(1);
    ASSERT_EQ(quad.cornerCount(), 4u);
    EXPECT_EQ(quad.position(2), Vec3(100, 200, -300));
    EXPECT_EQ(quad.position(3), Vec3(7, -8, 9));
    EXPECT_EQ(quad.texCoord(2), Vec3(7 / 256.0f, 8 / 256.0f, 0.0f));
    EXPECT_EQ(quad.texCoord(3), Vec3(5 / 256.0f, 6 / 256.0f, 0.0f));

    // Shaded triangle: byte colours / 256, so 255 is not pure white.
    const PolygonView shaded = mesh.polygon(2);
    EXPECT_FALSE(shaded.isTextured());
    EXPECT_EQ(shaded.color(0), Color3(0.99609375f, 0.99609375f, 0.99609375f));
    EXPECT_EQ(shaded.color(1), Color3(0.5f, 0.25f, 0.0f));
    EXPECT_EQ(shaded.color(2), Color3(1 / 256.0f, 2 / 256.0f, 3 / 256.0f));
    EXPECT_EQ(shaded.position(0), Vec3(100, 200, -300));

    const PolygonView shadedQuad = mesh.polygon(3);
    ASSERT_EQ(shadedQuad.cornerCount(), 4u);
    EXPECT_EQ(shadedQuad.color(2).red(), 40 / 256.0f);
    EXPECT_EQ(shadedQuad.color(3).red(), 30 / 256.0f);
    EXPECT_EQ(shadedQuad.position(3), Vec3(7, -8, 9));
}

TEST(MeshParser, TexturedTriangleCountIsTheLowByteOnly) {
    ab::MeshBlock block = fourVertices();
    for (int i = 0; i < 3; ++i) {
        block.texturedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(2)}, {}, 0});
    }
    block.texturedTriangleWord = 259;  // bytes 03 01 00 00
    PartMesh mesh;
    ASSERT_TRUE(parse(block.bytes(), mesh));
    EXPECT_EQ(mesh.polygonCount(), 3u);
}

TEST(MeshParser, VertexListTakesWholeVerticesOnly) {
    // L = 12 and L = 13 both hold one vertex; the next word follows at 4 + 8.
    for (uint32_t length : {12u, 13u, 15u}) {
        ab::MeshBlock block;
        block.vertices = {{11, 22, 33}};
        block.vertexListLength = length;
        block.shadedTriangles.push_back({{ab::vref(0), ab::vref(0), ab::vref(0)}, {}});
        PartMesh mesh;
        std::string error;
        ASSERT_TRUE(parse(block.bytes(), mesh, &error)) << length << ": " << error;
        ASSERT_EQ(mesh.polygonCount(), 1u) << length;
        EXPECT_EQ(mesh.polygon(0).position(1), Vec3(11, 22, 33));
    }
}

TEST(MeshParser, VertexFieldIsAByteOffsetWithTheLowBitsDropped) {
    ab::MeshBlock block = fourVertices();
    block.shadedTriangles.push_back({{0x0013, 0x000F, 0x0007}, {}});
    PartMesh mesh;
    ASSERT_TRUE(parse(block.bytes(), mesh));
    EXPECT_EQ(mesh.polygon(0).position(0), Vec3(7, -8, 9));   // 19 >> 3 = 2
    EXPECT_EQ(mesh.polygon(0).position(1), Vec3(-4, 5, -6));  // 15 >> 3 = 1
    EXPECT_EQ(mesh.polygon(0).position(2), Vec3(1, 2, 3));
}

TEST(MeshParser, CountsOfTwoToTheThirtyOneOrMoreReadNothing) {
    ab::MeshBlock block = fourVertices();
    block.texturedQuadCount = 0x80000000u;
    block.shadedTriangleCount = 0xFFFFFFFFu;
    block.shadedQuads.push_back({{ab::vref(0), ab::vref(1), ab::vref(2), ab::vref(3)}, {}});
    PartMesh mesh;
    ASSERT_TRUE(parse(block.bytes(), mesh));
    ASSERT_EQ(mesh.polygonCount(), 1u);
    EXPECT_EQ(mesh.polygon(0).cornerCount(), 4u);
}

TEST(MeshParser, BadBlocksAddNothingAndSayWhy) {
    struct Case {
        const char* name;
        ab::Bytes bytes;
        const char* reason;
    };
    std::vector<Case> cases;
    {
        ab::MeshBlock b = fourVertices();
        b.vertexListLength = 4000;
        ab::Bytes bytes = b.bytes();
        bytes.resize(40);
        cases.push_back({"vertex list past the end", bytes,
                         "the vertex list of 4000 bytes runs past the end of the mesh block (40 "
                         "bytes)"});
    }
    {
        ab::MeshBlock b = fourVertices();
        b.shadedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(2)}, {}});
        b.shadedQuadCount = 1000;
        cases.push_back({"quad count past the end", b.bytes(),
                         "1000 shaded quads need 24000 bytes but the mesh block has 0 left"});
    }
    {
        ab::MeshBlock b = fourVertices();
        b.texturedQuadCount = 0x7FFFFFFF;
        cases.push_back({"huge signed count", b.bytes(), "2147483647 textured quads need"});
    }
    {
        ab::MeshBlock b = fourVertices();
        b.shadedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(2)}, {}});
        b.shadedTriangles.push_back({{ab::vref(0), ab::vref(4), ab::vref(2)}, {}});
        cases.push_back({"vertex index past the list", b.bytes(),
                         "shaded triangle 1 refers to vertex 4 but the block has 4 vertices"});
    }
    for (const Case& c : cases) {
        PartMesh mesh;
        mesh.beginPolygon();
        mesh.addColoredVertex(1, 1, 1, 0, 0, 0);
        mesh.endPolygon();
        std::string error;
        EXPECT_FALSE(parse(c.bytes, mesh, &error)) << c.name;
        EXPECT_EQ(mesh.polygonCount(), 1u) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    }
}

TEST(MeshParser, EveryTruncationFailsCleanlyAndAddsNothing) {
    ab::MeshBlock block = fourVertices();
    block.texturedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(2)}, {}, 0});
    block.texturedQuads.push_back({{ab::vref(0), ab::vref(1), ab::vref(2), ab::vref(3)}, {}, 0});
    block.shadedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(2)}, {}});
    block.shadedQuads.push_back({{ab::vref(0), ab::vref(1), ab::vref(2), ab::vref(3)}, {}});
    const ab::Bytes full = block.bytes();
    for (size_t size = 0; size < full.size(); ++size) {
        // A copy of exactly the truncated length, so that ASan sees any read past it.
        const ab::Bytes cut(full.begin(), full.begin() + static_cast<long>(size));
        PartMesh mesh;
        std::string error;
        EXPECT_FALSE(parse(cut, mesh, &error)) << size;
        EXPECT_FALSE(mesh.hasPolygons()) << size;
        EXPECT_FALSE(error.empty()) << size;
    }
    PartMesh mesh;
    EXPECT_TRUE(parse(full, mesh));
    EXPECT_EQ(mesh.polygonCount(), 4u);
}

TEST(PartMesh, FlagsAndCornersOutsideAPolygon) {
    PartMesh mesh;
    EXPECT_EQ(mesh.setVisible(5), 1);
    EXPECT_EQ(mesh.isVisible(), 1);
    EXPECT_EQ(mesh.setSelected(0), 0);
    mesh.addColoredVertex(1, 2, 3, 0.1f, 0.2f, 0.3f);  // no polygon yet: dropped
    mesh.beginPolygon();
    mesh.addTexturedVertex(Vec3(1, 2, 3), 256, 512);
    mesh.addTexturedVertex(1.0f, 2.0f, 3.0f, 0.25f, 0.5f);
    mesh.addTexturedVertex(1.0f, 2.0f, 3.0f, 64, 32);
    mesh.endPolygon();
    mesh.addColoredVertex(Vec3(1, 2, 3), uint8_t{1}, uint8_t{2}, uint8_t{3});  // dropped
    ASSERT_EQ(mesh.polygonCount(), 1u);
    const PolygonView p = mesh.polygon(0);
    EXPECT_EQ(p.cornerCount(), 3u);
    EXPECT_EQ(p.texCoord(0), Vec3(1.0f, 2.0f, 0.0f));
    EXPECT_EQ(p.texCoord(1), Vec3(0.25f, 0.5f, 0.0f));
    EXPECT_EQ(p.texCoord(2), Vec3(0.25f, 0.125f, 0.0f));
    EXPECT_TRUE(mesh.hasTexturedPolygon());

    mesh.beginPolygon();
    mesh.addColoredVertex(Vec3(0, 0, 0), uint8_t{255}, uint8_t{128}, uint8_t{0});
    mesh.endPolygon();
    EXPECT_FALSE(mesh.polygon(1).isTextured());
    EXPECT_EQ(mesh.polygon(1).color(0), Color3(0.99609375f, 0.5f, 0.0f));
}

// Corners of both kinds in one polygon, and corners for a polygon before the last one, keep
// every list as the polygon's own lists would hold it.
TEST(PartMesh, MixedCornersAndAnEarlierCurrentPolygon) {
    PartMesh mesh;
    const Color3 red(1.0f, 0.0f, 0.0f), white(1.0f, 1.0f, 1.0f);
    mesh.beginPolygon();
    mesh.addTexturedVertex(Vec3(1, 0, 0), 64, 128);
    mesh.addColoredVertex(Vec3(2, 0, 0), red);
    mesh.addTexturedVertex(Vec3(3, 0, 0), 32, 0);
    mesh.beginPolygon();
    mesh.addColoredVertex(Vec3(4, 0, 0), red);
    mesh.currentPolygon = 0;
    mesh.addColoredVertex(Vec3(5, 0, 0), red);
    mesh.endPolygon();

    const PolygonView mixed = mesh.polygon(0);
    ASSERT_EQ(mixed.cornerCount(), 4u);
    EXPECT_FALSE(mixed.isTextured());
    EXPECT_EQ(mixed.texCoordCount(), 2u);
    EXPECT_EQ(mixed.texCoord(1), Vec3(0.125f, 0.0f, 0.0f));
    EXPECT_EQ(mixed.position(3), Vec3(5, 0, 0));
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(mixed.color(k), k % 2 ? red : white) << k;
    ASSERT_EQ(mesh.polygon(1).cornerCount(), 1u);
    EXPECT_EQ(mesh.polygon(1).position(0), Vec3(4, 0, 0));
    EXPECT_EQ(mesh.polygon(1).color(0), red);
}

}  // namespace
