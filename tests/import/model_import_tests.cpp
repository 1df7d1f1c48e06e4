// Models brought back from glTF files: the unedited round trip byte for byte, each kind of edit
// read back through the loaders, and each refusal.
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <cmath>
#include <cstring>

#include "archive_builder.h"
#include "demo/demo_archive.h"
#include "document/document.h"
#include "export/gltf_export.h"
#include "export/gltf_mesh.h"
#include "import/gltf_reading.h"
#include "import/gltf_values.h"
#include "import/model_import.h"
#include "io/bounded_reader.h"
#include "io/byte_order.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "support/test_files.h"

namespace ab = archive_builder;

namespace {

// Fills every byte the loaders do not read with a marker, so that a rewrite that loses one
// shows.
void markUnreadBytes(ab::Bytes& block) {
    MeshBlockLayout layout;
    ASSERT_TRUE(measureMeshBlock(BoundedReader(block.data(), block.size()), layout).ok());
    for (size_t v = 0; v < layout.vertexCount; ++v) block[4 + 8 * v + 6] = 0x5A;
    const std::vector<size_t> unread[kPolygonKindCount] = {
        {6, 7, 11}, {11, 18, 19}, {6, 7, 11, 15, 19}, {11, 15, 19, 23}};
    for (size_t g = 0; g < kPolygonKindCount; ++g) {
        for (size_t r = 0; r < layout.groups[g].count; ++r) {
            for (size_t at : unread[g]) {
                block[layout.groups[g].start + r * kPolygonKinds[g].recordBytes + at] =
                    static_cast<uint8_t>(0xA0 + g * 16 + r);
            }
        }
    }
}

// Bone 1 and bone 3 share block A; bone 2 has block B. B comes first in the section, then a
// gap, then A, then trailing bytes. A has an unused vertex and a zero-area triangle, a length
// word with a remainder, and a textured-triangle word with upper bits.
ab::Bytes buildSharedBlockArchive() {
    ab::MeshBlock a;
    a.vertices = {{0, 0, 0, 1},   {50, 0, 0, 2},     {50, 0, -50, 3},
                  {0, 0, -50, 4}, {7, 7, 7, 0x1234}, {20, 0, -20, 5}};
    a.vertexListLength = 8 * 6 + 3;
    a.texturedTriangleUpperBits = 0xABCD00;
    a.texturedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(5)},
                                   {ab::UV{1, 240}, ab::UV{30, 250}, ab::UV{9, 245}},
                                   16});
    a.texturedQuads.push_back({{ab::vref(0) | 3, ab::vref(1), ab::vref(3), ab::vref(2)},
                               {ab::UV{0, 0}, ab::UV{40, 0}, ab::UV{0, 40}, ab::UV{40, 40}},
                               0});
    a.shadedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(2)},
                                 {ab::RGB{255, 0, 0}, ab::RGB{128, 128, 128}, ab::RGB{0, 0, 255}}});
    a.shadedTriangles.push_back({{ab::vref(3), ab::vref(3), ab::vref(2)},
                                 {ab::RGB{1, 2, 3}, ab::RGB{4, 5, 6}, ab::RGB{7, 8, 9}}});
    ab::MeshBlock b;
    b.vertices = {{0, 0, 0, 0}, {0, 0, -30, 0}, {30, 0, 0, 0}, {30, 0, -30, 0}};
    b.texturedQuads.push_back({{ab::vref(0), ab::vref(1), ab::vref(2), ab::vref(3)},
                               {ab::UV{10, 10}, ab::UV{10, 60}, ab::UV{60, 10}, ab::UV{60, 60}},
                               8});
    b.shadedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(2)},
                                 {ab::RGB{90, 91, 92}, ab::RGB{93, 94, 95}, ab::RGB{96, 97, 98}}});
    ab::Bytes blockA = a.bytes(), blockB = b.bytes();
    markUnreadBytes(blockA);
    markUnreadBytes(blockB);

    ab::Bytes section;
    ab::putLE32(section, 3);
    ab::putLE32(section, 0x11111111);
    ab::putLE32(section, 0x22222222);
    const uint32_t atB = 12 + 3 * 8, atA = atB + static_cast<uint32_t>(blockB.size()) + 5;
    const std::pair<uint16_t, int16_t> tree[3] = {{0, 100}, {1, 40}, {1, 0}};
    const uint32_t meshAt[3] = {atA, atB, atA};
    for (int i = 0; i < 3; ++i) {
        ab::putLE16(section, tree[i].first);
        ab::putLE16(section, static_cast<uint16_t>(tree[i].second));
        ab::putLE32(section, meshAt[i]);
    }
    section.insert(section.end(), blockB.begin(), blockB.end());
    section.insert(section.end(), {0xE1, 0xE2, 0xE3, 0xE4, 0xE5});
    section.insert(section.end(), blockA.begin(), blockA.end());
    section.insert(section.end(), {0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6});
    ab::AngleTable angles{0x77, {0, 8000, -5000}};
    ab::Archive archive;
    archive.entries = {section, {0xEE, 0xEE, 0xEE, 0xEE}, angles.bytes(), {0, 0, 0, 0}};
    return archive.bytes();
}

class ModelImportTest : public testing::Test {
  protected:
    void SetUp() override { original = buildSharedBlockArchive(); }

    // The archive exported as .glb or .gltf and read back.
    tinygltf::Model exported(const ab::Bytes& archive, const std::string& ending) {
        const Document modelDocument = documentFromBytes(Source(), archive);
        Model& model = *modelDocument.model;
        ExportInput input;
        input.root = model.rootNode();
        input.page = &model.texturePage();
        input.loaded = model.loadedPose;
        input.poses = {{"the loaded pose", model.loadedPose}};
        const std::string path = folder.path() + "/model" + ending;
        EXPECT_TRUE(exportGltf(input, path).ok());
        tinygltf::Model doc;
        EXPECT_EQ(readGltfFile(path, doc), "");
        return doc;
    }

    std::string import(const tinygltf::Model& doc, const ab::Bytes& archive = {}) {
        const ab::Bytes& bytes = archive.empty() ? original : archive;
        result = ModelImport{};
        return importModel(bytes, parseArchive(bytes), doc, result);
    }

    test_support::TempFolder folder;
    ab::Bytes original;
    ModelImport result;
};

// One primitive's corners, read whole and written back as new accessors.
struct Corners {
    int primitive = -1;
    std::vector<float> positions, attributes, joints, weights;
    int attributeSize = 0;
    size_t count() const { return positions.size() / 3; }
    float* position(size_t k) { return &positions[3 * k]; }
    float* attribute(size_t k) { return &attributes[attributeSize * k]; }
    void erase(size_t first, size_t count) {
        for (auto* v : {&positions, &attributes, &joints, &weights}) {
            const size_t size = v->size() / this->count();
            v->erase(v->begin() + first * size, v->begin() + (first + count) * size);
        }
    }
    void append(const float* at, const float* look) {
        const size_t joint = static_cast<size_t>(joints[0]);
        positions.insert(positions.end(), at, at + 3);
        attributes.insert(attributes.end(), look, look + attributeSize);
        joints.insert(joints.end(), {float(joint), 0, 0, 0});
        weights.insert(weights.end(), {1, 0, 0, 0});
    }
};

// The primitive of the node at pre-order position joint, textured or not.
Corners cornersOf(const tinygltf::Model& doc, int joint, bool textured) {
    Corners c;
    const auto& primitives = doc.meshes[0].primitives;
    for (size_t p = 0; p < primitives.size(); ++p) {
        const auto& attributes = primitives[p].attributes;
        const char* look = textured ? "TEXCOORD_0" : "COLOR_0";
        if (!attributes.count(look)) continue;
        readNumbers(doc, attributes.at("JOINTS_0"), 4, false, c.joints);
        if (c.joints[0] != joint) continue;
        c.primitive = static_cast<int>(p);
        readFloats(doc, attributes.at("POSITION"), 3, c.positions);
        readFloats(doc, attributes.at(look), textured ? 2 : 3, c.attributes);
        readFloats(doc, attributes.at("WEIGHTS_0"), 4, c.weights);
        c.attributeSize = textured ? 2 : 3;
        return c;
    }
    ADD_FAILURE() << "no primitive for joint " << joint;
    return c;
}

int addAccessor(tinygltf::Model& doc, const std::vector<float>& values, int type) {
    auto& data = doc.buffers[0].data;
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = data.size();
    view.byteLength = 4 * values.size();
    data.resize(data.size() + view.byteLength);
    std::memcpy(data.data() + view.byteOffset, values.data(), view.byteLength);
    doc.bufferViews.push_back(view);
    tinygltf::Accessor accessor;
    accessor.bufferView = static_cast<int>(doc.bufferViews.size() - 1);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.type = type;
    accessor.count = values.size() / tinygltf::GetNumComponentsInType(type);
    doc.accessors.push_back(accessor);
    return static_cast<int>(doc.accessors.size() - 1);
}

void writeBack(tinygltf::Model& doc, const Corners& c) {
    auto& attributes = doc.meshes[0].primitives[c.primitive].attributes;
    attributes["POSITION"] = addAccessor(doc, c.positions, TINYGLTF_TYPE_VEC3);
    attributes[c.attributeSize == 2 ? "TEXCOORD_0" : "COLOR_0"] = addAccessor(
        doc, c.attributes, c.attributeSize == 2 ? TINYGLTF_TYPE_VEC2 : TINYGLTF_TYPE_VEC3);
    attributes["JOINTS_0"] = addAccessor(doc, c.joints, TINYGLTF_TYPE_VEC4);
    attributes["WEIGHTS_0"] = addAccessor(doc, c.weights, TINYGLTF_TYPE_VEC4);
}

// The offsets where two archives of one size differ.
std::vector<size_t> differences(const ab::Bytes& a, const ab::Bytes& b) {
    std::vector<size_t> out;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) out.push_back(i);
    }
    return out;
}

TEST_F(ModelImportTest, UneditedExportsGiveTheArchiveBackByteForByte) {
    const ab::Bytes demo(demoArchiveData(), demoArchiveData() + demoArchiveSize());
    for (const ab::Bytes* archive : {&demo, static_cast<const ab::Bytes*>(&original)}) {
        for (const char* ending : {".glb", ".gltf"}) {
            EXPECT_EQ(import(exported(*archive, ending), *archive), "") << ending;
            EXPECT_TRUE(result.archive == *archive) << ending;
            EXPECT_EQ(result.editedParts, 0u);
        }
    }
}

// Bone 1 (no turn above it, so its frame is the file's) moves vertex 1 by 3 along x. Bone 3
// keeps block A; bone 1 gets a copy after it with the vertex moved in place.
TEST_F(ModelImportTest, AMovedVertexOfASharedBlockGivesTheBoneABlockOfItsOwn) {
    tinygltf::Model doc = exported(original, ".glb");
    for (bool textured : {false, true}) {
        Corners c = cornersOf(doc, 1, textured);
        for (size_t k = 0; k < c.count(); ++k) {
            if (c.position(k)[0] == 50 && c.position(k)[2] == 0) c.position(k)[0] = 53;
        }
        writeBack(doc, c);
    }
    ASSERT_EQ(import(doc), "");
    const Archive before = parseArchive(original), after = parseArchive(result.archive);
    const MeshBlock& a = before.blocks[before.bones[0].block];
    const size_t size = a.layout.end, section = before.sectionStart;
    ASSERT_EQ(result.archive.size(), original.size() + size);
    EXPECT_EQ(after.bones[0].meshOffset, a.end() - section);
    EXPECT_EQ(after.bones[2].meshOffset, before.bones[2].meshOffset);
    EXPECT_EQ(after.bones[1].meshOffset, before.bones[1].meshOffset);
    for (size_t i = 1; i < before.entries.size(); ++i) {
        EXPECT_EQ(after.entries[i].offset, before.entries[i].offset + size);
    }
    // The copy is block A but for vertex 1's x; everything after it moved whole.
    ab::Bytes copy(original.begin() + a.start, original.begin() + a.end());
    copy[4 + 8 + 0] = 53;
    EXPECT_TRUE(std::equal(copy.begin(), copy.end(), result.archive.begin() + a.end()));
    EXPECT_TRUE(std::equal(original.begin() + a.end(), original.end(),
                           result.archive.begin() + a.end() + size));
    EXPECT_TRUE(std::equal(original.begin() + 20, original.begin() + before.bones[0].at,
                           result.archive.begin() + 20));
    EXPECT_EQ(result.editedParts, 1u);
}

TEST_F(ModelImportTest, ColourAndTextureCoordinateEditsChangeOnlyTheirBytes) {
    tinygltf::Model doc = exported(original, ".gltf");
    Corners shaded = cornersOf(doc, 2, false), textured = cornersOf(doc, 2, true);
    // Export corner 0 is the polygon's corner 0: red 90 becomes 200; a colour Blender rounds
    // to 8 bits stays.
    shaded.attribute(0)[0] = linearFromDisplay(200 / 256.0f);
    shaded.attribute(0)[1] = linearFromDisplay(std::round(91 / 256.0f * 255) / 255);
    textured.attribute(0)[0] += 5 / 256.0f;
    writeBack(doc, shaded);
    writeBack(doc, textured);
    ASSERT_EQ(import(doc), "");
    const Archive archive = parseArchive(original);
    const MeshBlock& b = archive.blocks[archive.bones[1].block];
    EXPECT_EQ(differences(original, result.archive),
              (std::vector<size_t>{b.start + b.layout.groups[1].start + 8,
                                   b.start + b.layout.groups[2].start + 8}));
    EXPECT_EQ(result.archive[b.start + b.layout.groups[1].start + 8], 15);
    EXPECT_EQ(result.archive[b.start + b.layout.groups[2].start + 8], 200);
}

// v + row offset 300 no longer fits row 16: the row becomes 45 and every v follows.
TEST_F(ModelImportTest, ATextureCoordinatePastTheRowTakesTheSmallestRowThatFits) {
    tinygltf::Model doc = exported(original, ".glb");
    Corners textured = cornersOf(doc, 1, true);
    textured.attribute(0)[1] = 300 / 256.0f;  // the textured triangle's corner 0 (v 240)
    writeBack(doc, textured);
    ASSERT_EQ(import(doc), "");
    const Document modelDocument = documentFromBytes(Source(), result.archive);
    Model& model = *modelDocument.model;
    const PolygonView triangle = model.partList()[0]->polygon(0);
    EXPECT_FLOAT_EQ(triangle.texCoord(0).y(), 300 / 256.0f);
    EXPECT_FLOAT_EQ(triangle.texCoord(1).y(), 266 / 256.0f);
    EXPECT_FLOAT_EQ(triangle.texCoord(2).y(), 261 / 256.0f);
    const Archive after = parseArchive(result.archive);
    const MeshBlock& copy = after.blocks[after.bones[0].block];
    EXPECT_EQ(result.archive[copy.start + copy.layout.groups[0].start + kRowOffsetAt], 45);
}

// Bone 2 loses its quad (two triangles) and gains a shaded triangle: block B, first in the
// section, shrinks by 20 and grows by a record and three vertices; all after it moves.
TEST_F(ModelImportTest, DeletedAndAddedFacesReadBackThroughTheLoaders) {
    tinygltf::Model doc = exported(original, ".glb");
    Corners textured = cornersOf(doc, 2, true), shaded = cornersOf(doc, 2, false);
    // A new triangle at local (100, 0, 0), (100, 0, -10), (110, 0, 0), seen from the file.
    const Document modelDocument = documentFromBytes(Source(), original);
    Model& model = *modelDocument.model;
    std::vector<NodeMatrices> tree;
    matricesInTreeOrder(model.loadedPose, *model.rootNode(), tree);
    const Mat4d place = globalTransforms(tree, preOrderParents(*model.rootNode()))[2];
    const float look[3] = {linearFromDisplay(0.5f), 0, 0};
    for (auto local : {std::array<float, 3>{100, 0, 0}, {110, 0, 0}, {100, 0, -10}}) {
        const auto p = transformPoint(place, local[0], local[1], local[2]);
        const float at[3] = {float(p[0]), float(p[1]), float(p[2])};
        shaded.append(at, look);
    }
    writeBack(doc, shaded);
    doc.meshes[0].primitives.erase(doc.meshes[0].primitives.begin() + textured.primitive);
    ASSERT_EQ(import(doc), "");

    const Archive before = parseArchive(original), after = parseArchive(result.archive);
    const int64_t change = -20 + 20 + 3 * 8;
    EXPECT_EQ(result.archive.size(), original.size() + change);
    EXPECT_EQ(after.bones[0].meshOffset, before.bones[0].meshOffset + change);
    EXPECT_EQ(after.entries[2].offset, before.entries[2].offset + change);
    const MeshBlock& b = after.blocks[after.bones[1].block];
    EXPECT_EQ(b.layout.vertexCount, 7u);
    EXPECT_EQ(b.layout.groups[1].count, 0u);
    EXPECT_EQ(b.layout.groups[2].count, 2u);
    // The new record takes the unread bytes of the part's first shaded triangle.
    const uint8_t* first = result.archive.data() + b.start + b.layout.groups[2].start;
    EXPECT_EQ(first[20 + 11], first[11]);
    EXPECT_EQ(first[20 + 6], first[6]);

    const Document backDocument = documentFromBytes(Source(), result.archive);
    Model& back = *backDocument.model;
    const PartMesh& part = *back.partList()[1];
    ASSERT_EQ(part.polygonCount(), 2u);
    const PolygonView added = part.polygon(1);
    const float expected[3][3] = {{100, 0, 0}, {100, 0, -10}, {110, 0, 0}};
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(added.position(k), Vec3(expected[k][0], expected[k][1], expected[k][2])) << k;
        EXPECT_FLOAT_EQ(added.color(k).red(), 128 / 256.0f);
    }
    // The other parts read as before.
    const Document oldDocument = documentFromBytes(Source(), original);
    Model& old = *oldDocument.model;
    EXPECT_EQ(back.partList()[0]->polygonCount(), old.partList()[0]->polygonCount());
}

TEST_F(ModelImportTest, WhatTheArchiveCannotHoldIsRefusedWithOneLine) {
    const tinygltf::Model doc = exported(original, ".glb");
    auto edited = [&](int joint, bool textured, auto&& edit) {
        tinygltf::Model copy = doc;
        Corners c = cornersOf(copy, joint, textured);
        edit(c);
        writeBack(copy, c);
        return import(copy);
    };
    EXPECT_EQ(edited(2, false, [](Corners& c) { c.position(0)[0] += 40000; }),
              "bone 2: coordinate x = 40000 lies outside -32768..32767");
    EXPECT_EQ(edited(2, true, [](Corners& c) { c.attribute(0)[0] = 300 / 256.0f; }),
              "bone 2: texture coordinate u = 300 does not fit a byte");
    EXPECT_EQ(edited(2, true,
                     [](Corners& c) {
                         for (int t = 0; t < 256; ++t) {
                             for (int k : {0, 2, 1}) {
                                 const float at[3] = {float(t), 0, float(k)};
                                 c.append(at, c.attribute(0));
                             }
                         }
                     }),
              "bone 2: 256 textured triangles, but a part holds at most 255");
    EXPECT_EQ(edited(2, false,
                     [](Corners& c) {
                         for (int v = 0; v < 8200; ++v) {
                             const float at[3] = {3.0f * (v % 100), 3.0f * (v / 100), 500};
                             c.append(at, c.attribute(0));
                         }
                         c.erase(c.count() - 8200 % 3, 8200 % 3);
                     }),
              "bone 2: more than 8192 vertices");
    EXPECT_EQ(edited(2, false, [](Corners& c) { c.joints[0] = c.joints[4] = 0; }),
              "primitive 2 of mesh 0: a triangle belongs to the root alone, which has no part");
    const ab::Bytes demo(demoArchiveData(), demoArchiveData() + demoArchiveSize());
    EXPECT_EQ(import(exported(demo, ".glb")),
              "joint \"bone 4\" is not a bone of the archive's tree");
    EXPECT_TRUE(result.archive.empty());
}

// A cube of six quads, each corner shared by three, every face its own copy of one colour or
// of one texture square. Each corner is the first (on the diagonal the viewer fans along) of
// some of its quads and not of others.
ab::Bytes buildCube(bool textured) {
    ab::MeshBlock m;
    for (int i = 0; i < 8; ++i) {
        m.vertices.push_back(
            {int16_t(i & 1 ? 100 : 0), int16_t(i & 2 ? -100 : 0), int16_t(i & 4 ? -100 : 0), 0});
    }
    const int outlines[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                                {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& o : outlines) {
        // The records hold a quad's corners as 0, 1, 3, 2 of its outline.
        const std::array<uint16_t, 4> v{ab::vref(o[0]), ab::vref(o[1]), ab::vref(o[3]),
                                        ab::vref(o[2])};
        const ab::RGB c{200, 100, 50};
        if (textured) {
            m.texturedQuads.push_back(
                {v, {ab::UV{0, 0}, ab::UV{40, 0}, ab::UV{0, 40}, ab::UV{40, 40}}, 3});
        } else {
            m.shadedQuads.push_back({v, {c, c, c, c}});
        }
    }
    ab::Skeleton skeleton;
    skeleton.bones.push_back({});
    skeleton.bones[0].mesh = m;
    return ab::buildModelArchive(skeleton, ab::AngleTable{0, {0, 0, 0}});
}

// Every copy of the cube's corner moved by 7 along x, as another tool moves a vertex.
tinygltf::Model movedCorner(tinygltf::Model doc, bool textured, int corner) {
    Corners c = cornersOf(doc, 1, textured);
    const float at[3] = {corner & 1 ? 100.0f : 0, corner & 2 ? -100.0f : 0,
                         corner & 4 ? -100.0f : 0};
    for (size_t k = 0; k < c.count(); ++k) {
        if (std::equal(at, at + 3, c.position(k))) c.position(k)[0] += 7;
    }
    writeBack(doc, c);
    return doc;
}

TEST_F(ModelImportTest, AMovedCornerKeepsEveryQuadWithItsVertexMovedInPlace) {
    for (bool textured : {false, true}) {
        const ab::Bytes cube = buildCube(textured);
        const tinygltf::Model doc = exported(cube, ".glb");
        const Archive archive = parseArchive(cube);
        const size_t vertices = archive.blocks[0].start + 4;
        for (int corner = 0; corner < 8; ++corner) {
            ASSERT_EQ(import(movedCorner(doc, textured, corner), cube), "");
            // Only the vertex's x changes: 0 becomes 7, 100 becomes 107.
            EXPECT_EQ(differences(cube, result.archive), std::vector<size_t>{vertices + 8 * corner})
                << "textured " << textured << ", corner " << corner;
            EXPECT_EQ(result.archive[vertices + 8 * corner], corner & 1 ? 107 : 7);
            EXPECT_EQ(result.editedParts, 1u);
        }
    }
}

// The file's triangles in the opposite order, each with its corners turned: the same archive.
TEST_F(ModelImportTest, TheMatchingDoesNotDependOnTheFilesOrder) {
    const ab::Bytes cube = buildCube(false);
    tinygltf::Model doc = movedCorner(exported(cube, ".glb"), false, 0);
    ASSERT_EQ(import(doc, cube), "");
    const ab::Bytes inOrder = result.archive;
    Corners c = cornersOf(doc, 1, false);
    Corners turned = c;
    const size_t triangles = c.count() / 3;
    for (size_t t = 0; t < triangles; ++t) {
        for (size_t k = 0; k < 3; ++k) {
            const size_t from = 3 * (triangles - 1 - t) + (k + 1) % 3, to = 3 * t + k;
            std::copy_n(c.position(from), 3, turned.position(to));
            std::copy_n(c.attribute(from), 3, turned.attribute(to));
        }
    }
    writeBack(doc, turned);
    ASSERT_EQ(import(doc, cube), "");
    EXPECT_TRUE(result.archive == inOrder);
}

// One half of the first quad turned over: its corners 0 and 1 trade places, so that the two
// halves no longer meet on the diagonal. The quad cannot show both, so its two halves come
// back as triangles of their own, as the file has them.
TEST_F(ModelImportTest, HalvesThatDoNotMeetOnTheDiagonalAreNoQuad) {
    const ab::Bytes cube = buildCube(false);
    tinygltf::Model doc = exported(cube, ".glb");
    Corners c = cornersOf(doc, 1, false);
    std::swap_ranges(c.position(0), c.position(0) + 3, c.position(1));
    writeBack(doc, c);
    ASSERT_EQ(import(doc, cube), "");
    const Archive after = parseArchive(result.archive);
    const MeshBlock& block = after.blocks[0];
    EXPECT_EQ(block.layout.vertexCount, 8u);
    EXPECT_EQ(block.layout.groups[2].count, 2u);
    EXPECT_EQ(block.layout.groups[3].count, 5u);
    const Document back = documentFromBytes(Source(), result.archive);
    const PartMesh& part = *back.model->partList()[0];
    ASSERT_EQ(part.polygonCount(), 7u);
    // The turned half and the other, first in the part, in the viewer's winding.
    const float expected[2][3][3] = {{{100, -100, 0}, {100, 0, 0}, {0, 0, 0}},
                                     {{0, 0, 0}, {100, -100, 0}, {0, -100, 0}}};
    for (size_t t = 0; t < 2; ++t) {
        const PolygonView added = part.polygon(t);
        for (size_t k = 0; k < 3; ++k) {
            const float* e = expected[t][k];
            EXPECT_EQ(added.position(k), Vec3(e[0], e[1], e[2])) << t << " " << k;
        }
    }
}

}  // namespace
