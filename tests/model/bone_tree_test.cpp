#include <gtest/gtest.h>

#include "model/bone_node.h"
#include "model_test_support.h"

namespace {

using model_test::ModelStateTest;
using model_test::preOrderIds;

class BoneTree : public ModelStateTest {
  protected:
    BoneNode* node(int32_t id) { return newBoneNode(newPartMesh(), id); }
};

TEST_F(BoneTree, AttachesUnderTheParentAndIgnoresMissingOrLateParents) {
    BoneNode* b1 = node(1);
    BoneNode* b2 = node(2);
    BoneNode* b3 = node(3);
    BoneNode* b4 = node(4);
    rootNode->attachChild(b1, 0);
    rootNode->attachChild(b2, 0);
    rootNode->attachChild(b3, 1);
    rootNode->attachChild(b4, 5);  // no node 5 yet: stays outside
    EXPECT_EQ(preOrderIds(*rootNode), (std::vector<int32_t>{0, 1, 3, 2}));
    BoneNode* b5 = node(5);
    rootNode->attachChild(b5, 3);
    EXPECT_EQ(preOrderIds(*rootNode), (std::vector<int32_t>{0, 1, 3, 5, 2}));
    EXPECT_TRUE(b4->children.empty());
    for (const Matrix4* m : {&b5->poseMatrix, &b5->userMatrix, &b5->boneOffsetMatrix}) {
        EXPECT_EQ(*m, identityMatrix());
    }
}

TEST_F(BoneTree, DuplicateParentIdsTakeTheChildUnderEveryTopmostCarrier) {
    // Two unrelated nodes carry id 7, and a third lies below one of them.
    BoneNode* a = node(7);
    BoneNode* b = node(7);
    BoneNode* nested = node(7);
    rootNode->attachChild(a, 0);
    rootNode->attachChild(b, 0);
    a->children.push_back(nested);
    BoneNode* child = node(9);
    rootNode->attachChild(child, 7);
    ASSERT_EQ(a->children.size(), 2u);
    EXPECT_EQ(a->children[1], child);
    ASSERT_EQ(b->children.size(), 1u);
    EXPECT_EQ(b->children[0], child);
    EXPECT_TRUE(nested->children.empty());
}

TEST_F(BoneTree, SelectionMarksExactlyTheCarrier) {
    BoneNode* b1 = node(1);
    BoneNode* b2 = node(2);
    rootNode->attachChild(b1, 0);
    rootNode->attachChild(b2, 1);
    rootNode->selectBone(2);
    EXPECT_EQ(rootNode->mesh->isSelected(), 0);
    EXPECT_EQ(b1->mesh->isSelected(), 0);
    EXPECT_EQ(b2->mesh->isSelected(), 1);
    rootNode->selectBone(0);
    EXPECT_EQ(rootNode->mesh->isSelected(), 1);
    EXPECT_EQ(b2->mesh->isSelected(), 0);
    rootNode->selectBone(42);
    for (BoneNode* n : model_test::preOrder(*rootNode)) EXPECT_EQ(n->mesh->isSelected(), 0);
}

TEST_F(BoneTree, PoseMatrixDropsTheTranslationOfWhatItApplies) {
    BoneNode* b = node(1);
    Matrix4 m = rotationAboutX(0.5);
    m[12] = 3.0f;
    m[13] = -4.0f;
    m[14] = 5.0f;
    b->applyPoseMatrix(m);
    EXPECT_EQ(b->poseMatrix[12], 0.0f);
    EXPECT_EQ(b->poseMatrix[13], 0.0f);
    EXPECT_EQ(b->poseMatrix[14], 0.0f);
    EXPECT_EQ(b->poseMatrix[6], m[6]);
    b->applyUserMatrix(m);
    EXPECT_EQ(b->userMatrix[13], -4.0f);
}

}  // namespace
