#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "model/bone_node.h"
#include "model/pose_file.h"
#include "model_test_support.h"
#include "support/pose_files.h"

namespace {

namespace ab = archive_builder;

using DeepChain = model_test::ModelStateTest;

size_t depthAlongFirstChildren(const BoneNode& root) {
    size_t depth = 0;
    for (const BoneNode* node = &root; !node->children.empty(); node = node->children[0]) ++depth;
    return depth;
}

void expectSaveLoadRoundTrip(BoneNode* rootNode, int32_t deepest) {
    const std::string path = testing::TempDir() + "deep_chain_" + std::to_string(::getpid());
    const std::vector<uint8_t> saved = encodePose(*rootNode);
    EXPECT_TRUE(savePoseFile(*rootNode, path.c_str()).ok());
    rootNode->rotateBone(rotationAboutZ(0.5), deepest);
    const test_support::PoseFileLoad load = test_support::loadPoseFileAt(*rootNode, path);
    EXPECT_EQ(load.loaded, saved.size() / kPoseMatrixBytes);
    EXPECT_EQ(load.line, "");
    EXPECT_EQ(encodePose(*rootNode), saved);
    std::remove(path.c_str());
}

// Parent ids are 16 bits wide, so an archive chains at most 65,536 bones; the other 34,464
// bones of this one hang on the chain's last addressable bone.
TEST_F(DeepChain, ArchiveWithAHundredThousandBones) {
    constexpr int kBones = 100000;
    ab::Skeleton skeleton;
    ab::AngleTable angles;
    for (int i = 0; i < kBones; ++i) {
        const uint16_t parent = static_cast<uint16_t>(i < 65536 ? i : 65535);
        skeleton.bones.push_back({parent, 1, std::nullopt, {}});
        angles.angles.push_back(static_cast<int16_t>(i % 7));
    }
    int result = -2;
    model_test::parseCapturing(model, ab::buildModelArchive(skeleton, angles), &result);
    ASSERT_EQ(result, 0);
    ASSERT_EQ(partList.size(), static_cast<size_t>(kBones));
    EXPECT_EQ(poseNodeCount(*rootNode), static_cast<size_t>(kBones + 1));
    EXPECT_EQ(depthAlongFirstChildren(*rootNode), 65536u);

    rootNode->selectBone(65536);
    EXPECT_EQ(partList[65535]->isSelected(), 1);
    EXPECT_EQ(partList[0]->isSelected(), 0);
    rootNode->rotateBone(rotationAboutZ(0.2), 65536);
    expectSaveLoadRoundTrip(rootNode, 65536);
}

// A tree built in code can be deeper than any archive; the walks must not care.
TEST_F(DeepChain, HundredThousandLevels) {
    constexpr int32_t kBones = 100000;
    BoneNode* last = rootNode;
    for (int32_t id = 1; id <= kBones; ++id) {
        BoneNode* node = newBoneNode(newPartMesh(), id);
        node->applyPoseMatrix(rotationAboutX(0.001f * static_cast<float>(id % 5)));
        last->attachChild(node, last->boneId);
        last = node;
    }
    EXPECT_EQ(depthAlongFirstChildren(*rootNode), static_cast<size_t>(kBones));

    rootNode->selectBone(kBones);
    EXPECT_EQ(last->mesh->isSelected(), 1);
    rootNode->translateBone(translationMatrix(0.0f, 0.0f, 1.0f), kBones);
    EXPECT_NE(last->userMatrix, identityMatrix());
    const Matrix4 before = last->poseMatrix;
    rootNode->rotateBone(rotationAboutZ(0.2), kBones);
    EXPECT_NE(last->poseMatrix, before);
    expectSaveLoadRoundTrip(rootNode, kBones);
}

}  // namespace
