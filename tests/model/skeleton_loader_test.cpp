#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "document/document.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "model_test_support.h"

namespace {

namespace ab = archive_builder;
using model_test::lines;
using model_test::parseCapturing;
using model_test::preOrderIds;

using SkeletonLoader = model_test::ModelStateTest;

ab::MeshBlock triangleMesh() {
    ab::MeshBlock mesh;
    mesh.vertices = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    mesh.shadedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(2)}, {}});
    return mesh;
}

ab::Skeleton skeletonWithParents(std::vector<uint16_t> parents) {
    ab::Skeleton skeleton;
    for (uint16_t parent : parents) skeleton.bones.push_back({parent, 0, std::nullopt, {}});
    return skeleton;
}

// Moves the angle table of a built archive to the given offset.
void moveAngleTable(ab::Bytes& archive, const ab::AngleTable& angles, uint32_t offset) {
    const ab::Bytes table = angles.bytes();
    archive.resize(offset, 0);
    archive.insert(archive.end(), table.begin(), table.end());
    ab::setLE32(archive, 12, offset);
}

TEST_F(SkeletonLoader, PrintsOneLinePerBoneAndBuildsOffsetsAndRotations) {
    ab::Skeleton skeleton;
    skeleton.bones = {{0, 25, triangleMesh(), {}},
                      {1, -7, std::nullopt, {}},
                      {0, 0, std::nullopt, {}},
                      {2, 3, triangleMesh(), {}}};
    const ab::AngleTable angles{0, {0, -32768, 32767, 16384}};
    ab::Bytes archive = ab::buildModelArchive(skeleton, angles);
    moveAngleTable(archive, angles, 0x1a40);

    int result = -2;
    const std::string out = parseCapturing(model, archive, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out,
              "[1a40] 0 = 0.000000(0)\n"
              "[1a40] 1 = -3.141640(ffff8000)\n"
              "[1a40] 2 = 3.141544(7fff)\n"
              "[1a40] 3 = 1.570820(4000)\n");

    EXPECT_EQ(boneIndexList, (std::vector<int32_t>{0, 1, 2, 3}));
    ASSERT_EQ(partList.size(), 4u);
    EXPECT_EQ(partList[0]->polygonCount(), 1u);
    EXPECT_FALSE(partList[1]->hasPolygons());
    EXPECT_EQ(partList[3]->polygonCount(), 1u);
    EXPECT_EQ(preOrderIds(*rootNode), (std::vector<int32_t>{0, 1, 2, 4, 3}));

    const BoneNode* bone0 = model_test::findNode(*rootNode, 1);
    const BoneNode* bone1 = model_test::findNode(*rootNode, 2);
    const BoneNode* bone3 = model_test::findNode(*rootNode, 4);
    EXPECT_EQ(bone0->mesh, partList[0]);
    EXPECT_EQ(bone0->poseMatrix, identityMatrix());
    EXPECT_EQ(bone0->boneOffsetMatrix, translationMatrix(0.0f, 0.0f, 25.0f));
    EXPECT_EQ(bone1->boneOffsetMatrix[14], -7.0f);
    EXPECT_EQ(bone0->userMatrix, identityMatrix());

    const float t = static_cast<float>(16384 / 65535.0 * 6.283184);
    EXPECT_EQ(bone3->poseMatrix[5], static_cast<float>(std::cos(static_cast<double>(t))));
    EXPECT_EQ(bone3->poseMatrix[6], static_cast<float>(std::sin(static_cast<double>(t))));
    EXPECT_EQ(bone3->poseMatrix[9], -bone3->poseMatrix[6]);
    EXPECT_EQ(bone3->poseMatrix[10], bone3->poseMatrix[5]);
    EXPECT_EQ(bone3->poseMatrix[0], 1.0f);
    EXPECT_EQ(bone3->poseMatrix[14], 0.0f);
}

TEST_F(SkeletonLoader, BonesWhoseParentIsLateMissingOrOutsideStayOutOfTheTree) {
    // Bone 0 names the later bone 1, bone 1 names 65535, bone 2 itself, bone 3 the outside
    // bone 0, bone 4 the root, bone 5 bone 4.
    const ab::Bytes archive = ab::buildModelArchive(skeletonWithParents({2, 65535, 3, 1, 0, 5}),
                                                    ab::AngleTable{0, {0, 0, 0, 0, 0, 0}});
    int result = -2;
    const std::string out = parseCapturing(model, archive, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(lines(out).size(), 6u);
    EXPECT_EQ(partList.size(), 6u);
    EXPECT_EQ(boneIndexList.size(), 6u);
    EXPECT_EQ(preOrderIds(*rootNode), (std::vector<int32_t>{0, 5, 6}));
}

TEST_F(SkeletonLoader, ASecondLoadSearchesTheWholeTreeForParents) {
    const ab::Bytes archive =
        ab::buildModelArchive(skeletonWithParents({0, 1}), ab::AngleTable{0, {0, 0}});
    parseCapturing(model, archive);
    parseCapturing(model, archive);
    // The second load's bone 2 hangs under both nodes with id 1.
    EXPECT_EQ(preOrderIds(*rootNode), (std::vector<int32_t>{0, 1, 2, 2, 1, 2}));
    EXPECT_EQ(partList.size(), 4u);
    EXPECT_EQ(boneIndexList, (std::vector<int32_t>{0, 1, 0, 1}));
}

TEST_F(SkeletonLoader, NoBonesPrintsNothing) {
    for (int32_t count : {0, -5}) {
        ab::Skeleton skeleton = skeletonWithParents({0});
        skeleton.boneCountOverride = count;
        int result = -2;
        EXPECT_EQ(parseCapturing(model, ab::buildModelArchive(skeleton, {}), &result), "");
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(partList.empty());
        EXPECT_TRUE(rootNode->children.empty());
    }
}

TEST_F(SkeletonLoader, UnreadableStructuresStopTheLoadWithOneLine) {
    struct Case {
        const char* name;
        ab::Bytes archive;
        const char* line;
    };
    // The records may run on into the following entries, but not past the end of the file.
    ab::Skeleton tooMany = skeletonWithParents({0, 0});
    tooMany.boneCountOverride = 3;
    ab::Bytes cutAfterTwo = ab::buildModelArchive(tooMany, {});
    cutAfterTwo.resize(20 + 12 + 2 * 8 + 7);
    ab::Skeleton huge = skeletonWithParents({0});
    huge.boneCountOverride = 0x7FFFFFFF;
    ab::Bytes sectionOutside = ab::buildModelArchive(skeletonWithParents({0}), {});
    ab::setLE32(sectionOutside, 4, 0xFFFFFFF0u);
    const std::vector<Case> cases = {
        {"empty", {}, "The archive (0 bytes) is too short for its entry table"},
        {"seven bytes",
         {3, 0, 0, 0, 8, 0, 0},
         "The archive (7 bytes) is too short for its entry table"},
        {"section outside", sectionOutside,
         "The skeleton section at fffffff0 lies outside the archive"},
        {"B past the records", cutAfterTwo,
         "The skeleton declares 3 bones but the archive holds records for only 2"},
        {"B huge", ab::buildModelArchive(huge, {}),
         "The skeleton declares 2147483647 bones but the archive holds records for only 2"},
    };
    for (const Case& c : cases) {
        int result = 0;
        const std::string out = parseCapturing(model, c.archive, &result);
        EXPECT_EQ(result, -1) << c.name;
        ASSERT_EQ(lines(out).size(), 1u) << c.name << ": " << out;
        EXPECT_EQ(lines(out)[0].rfind(c.line, 0), 0u) << c.name << ": " << out;
        EXPECT_TRUE(partList.empty()) << c.name;
        EXPECT_TRUE(rootNode->children.empty()) << c.name;
    }
}

TEST_F(SkeletonLoader, MissingAnglesAreZero) {
    // Fewer than three entries: no angle table at all.
    ab::Archive twoEntries;
    twoEntries.entries.push_back(skeletonWithParents({0, 1}).bytes());
    twoEntries.entries.push_back(ab::Bytes(4, 0));
    int result = -2;
    std::string out = parseCapturing(model, twoEntries.bytes(), &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out,
              "The archive has 2 entries and no angle table: every bone gets angle 0\n"
              "[0] 0 = 0.000000(0)\n"
              "[0] 1 = 0.000000(0)\n");
    EXPECT_EQ(model_test::findNode(*rootNode, 2)->poseMatrix, identityMatrix());

    // A table cut short gives 0 for the bones past its end.
    resetModelState();
    ab::Bytes archive = ab::buildModelArchive(skeletonWithParents({0, 0, 0}), {});
    const ab::AngleTable twoAngles{0, {100, 200}};
    const uint32_t at = static_cast<uint32_t>(archive.size());
    moveAngleTable(archive, twoAngles, at);
    out = parseCapturing(model, archive, &result);
    EXPECT_EQ(result, 0);
    char expected[256];
    std::snprintf(expected, sizeof expected,
                  "The angle table at %x holds 2 of 3 angles: the missing ones are 0\n"
                  "[%x] 0 = 0.009588(64)\n[%x] 1 = 0.019175(c8)\n[%x] 2 = 0.000000(0)\n",
                  at, at, at, at);
    EXPECT_EQ(out, expected);
}

TEST_F(SkeletonLoader, BadMeshBlocksAreSkippedWithOneLineEach) {
    ab::Skeleton skeleton;
    ab::MeshBlock badCount = triangleMesh();
    badCount.shadedQuadCount = 500;
    ab::MeshBlock badVertex = triangleMesh();
    badVertex.shadedTriangles[0].v[2] = ab::vref(3);
    skeleton.bones = {{0, 0, triangleMesh(), 0xFFFFFF00u},
                      {0, 0, badCount, {}},
                      {0, 0, badVertex, {}},
                      {0, 0, triangleMesh(), {}}};
    int result = -2;
    const std::string out = parseCapturing(
        model, ab::buildModelArchive(skeleton, ab::AngleTable{0, {0, 0, 0, 0}}), &result);
    EXPECT_EQ(result, 0);
    const std::vector<std::string> printed = lines(out);
    ASSERT_EQ(printed.size(), 7u) << out;
    EXPECT_EQ(printed[0].rfind(
                  "Bone 0: the mesh block at section offset ffffff00 lies outside the archive: "
                  "mesh skipped",
                  0),
              0u);
    EXPECT_NE(printed[2].find("Bone 1: the mesh block at section offset "), std::string::npos);
    EXPECT_NE(printed[2].find("500 shaded quads need 12000 bytes"), std::string::npos);
    EXPECT_NE(printed[4].find("shaded triangle 0 refers to vertex 3 but the block has 3"),
              std::string::npos);
    ASSERT_EQ(partList.size(), 4u);
    EXPECT_FALSE(partList[0]->hasPolygons());
    EXPECT_FALSE(partList[1]->hasPolygons());
    EXPECT_FALSE(partList[2]->hasPolygons());
    EXPECT_EQ(partList[3]->polygonCount(), 1u);
    EXPECT_EQ(rootNode->children.size(), 4u);
}

TEST_F(SkeletonLoader, EveryTruncationOfAnArchiveLoadsSafely) {
    ab::Skeleton skeleton;
    skeleton.bones = {{0, 5, triangleMesh(), {}}, {1, 6, triangleMesh(), {}}};
    const ab::Bytes full = ab::buildModelArchive(skeleton, ab::AngleTable{0, {1000, 2000}});
    for (size_t size = 0; size <= full.size(); ++size) {
        resetModelState();
        const ab::Bytes cut(full.begin(), full.begin() + static_cast<long>(size));
        int result = -2;
        const std::string out = parseCapturing(model, cut, &result);
        ASSERT_TRUE(result == 0 || result == -1) << size;
        EXPECT_EQ(partList.size(), boneIndexList.size()) << size;
        if (result == -1) {
            EXPECT_EQ(lines(out).size(), 1u) << size << ": " << out;
        }
    }
    EXPECT_EQ(partList.size(), 2u);
    EXPECT_EQ(partList[1]->polygonCount(), 1u);
}

TEST_F(SkeletonLoader, DocumentReadsTheFileOrSaysItCannotBeRead) {
    EXPECT_EQ(
        loadDocument(Source::file("/nonexistent/model.bin"), UnreadLines::Loaders).message,
        "File cannot open. [/nonexistent/model.bin]\n/nonexistent/model.bin cannot found...\n");
    // A directory opens but cannot be read.
    const std::string directory = testing::TempDir();
    EXPECT_EQ(loadDocument(Source::file(directory), UnreadLines::Loaders).message,
              directory + " cannot be read: Is a directory\n");

    const std::string path =
        testing::TempDir() + "skeleton_loader_test_" + std::to_string(::getpid()) + ".bin";
    ASSERT_TRUE(ab::writeFile(
        path, ab::buildModelArchive(skeletonWithParents({0, 1}), ab::AngleTable{0, {16384, 0}})));
    const Result<Document> document = loadDocument(Source::file(path), UnreadLines::Loaders);
    ASSERT_TRUE(document.ok()) << document.message;
    EXPECT_NE(skeletonLoaderLines(document->archive)[0].find("] 0 = 1.570820(4000)\n"),
              std::string::npos);
    EXPECT_EQ(preOrderIds(*document->model->rootNode()), (std::vector<int32_t>{0, 1, 2}));
    std::remove(path.c_str());
}

}  // namespace
