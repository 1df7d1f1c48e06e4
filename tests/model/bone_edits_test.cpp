#include <gtest/gtest.h>

#include <cmath>

#include "model/bone_node.h"
#include "model_test_support.h"

namespace {

using model_test::MatrixD;
using model_test::worldFrame;

// Root, bone 1 below it, bone 2 below bone 1, bone 3 below bone 2, bone 4 beside bone 1.
class BoneEdits : public model_test::ModelStateTest {
  protected:
    void SetUp() override {
        for (int32_t id = 1; id <= 4; ++id) {
            bones[id] = newBoneNode(newPartMesh(), id);
            bones[id]->applyBoneOffset(
                translationMatrix(0.0f, 0.0f, 10.0f * static_cast<float>(id)));
        }
        rootNode->attachChild(bones[1], 0);
        rootNode->attachChild(bones[2], 1);
        rootNode->attachChild(bones[3], 2);
        rootNode->attachChild(bones[4], 0);
    }

    std::vector<Matrix4> allMatrices() const {
        std::vector<Matrix4> out;
        for (BoneNode* node : model_test::preOrder(*rootNode)) {
            out.push_back(node->userMatrix);
            out.push_back(node->poseMatrix);
            out.push_back(node->boneOffsetMatrix);
        }
        return out;
    }

    BoneNode* bones[5] = {};
};

void expectLinearPartNear(const MatrixD& actual, const MatrixD& expected, double tolerance) {
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) {
            EXPECT_NEAR(actual[4 * c + r], expected[4 * c + r], tolerance) << r << "," << c;
        }
    }
}

TEST_F(BoneEdits, RequestsForTheRootChangeOnlyTheRoot) {
    const std::vector<Matrix4> before = allMatrices();
    rootNode->translateBone(translationMatrix(1.5f, -2.0f, 3.0f), 0);
    EXPECT_EQ(rootNode->userMatrix, translationMatrix(1.5f, -2.0f, 3.0f));

    Matrix4 turn = rotationAboutZ(0.4);
    turn[12] = 9.0f;  // dropped: a pose only turns
    rootNode->rotateBone(turn, 0);
    EXPECT_EQ(rootNode->poseMatrix, matProduct(rotationAboutZ(0.4), identityMatrix()));

    const std::vector<Matrix4> after = allMatrices();
    for (size_t i = 3; i < after.size(); ++i) EXPECT_EQ(after[i], before[i]) << i;
}

TEST_F(BoneEdits, TranslationIsCarriedThroughTheTransposedPoses) {
    // The parent of bone 2 is turned 90 degrees about X.
    Matrix4 quarter = identityMatrix();
    quarter[5] = 0.0f;
    quarter[6] = 1.0f;
    quarter[9] = -1.0f;
    quarter[10] = 0.0f;
    bones[1]->applyPoseMatrix(quarter);
    const MatrixD before = worldFrame(*rootNode, 2);

    rootNode->translateBone(translationMatrix(0.0f, 0.0f, 10.0f), 2);
    EXPECT_EQ(bones[2]->userMatrix, translationMatrix(0.0f, 10.0f, 0.0f));
    const MatrixD after = worldFrame(*rootNode, 2);
    EXPECT_NEAR(after[12] - before[12], 0.0, 1e-9);
    EXPECT_NEAR(after[13] - before[13], 0.0, 1e-9);
    EXPECT_NEAR(after[14] - before[14], 10.0, 1e-9);
    EXPECT_EQ(bones[1]->userMatrix, identityMatrix());
    EXPECT_EQ(bones[3]->userMatrix, identityMatrix());
}

TEST_F(BoneEdits, BelowIdentityPosesTheRotationArrivesAsSent) {
    bones[2]->applyPoseMatrix(rotationAboutX(0.3));  // the target's own pose may be anything
    const Matrix4 request = rotationAboutZ(0.25);
    const Matrix4 expected = matProduct(request, bones[2]->poseMatrix);
    rootNode->rotateBone(request, 2);
    EXPECT_EQ(bones[2]->poseMatrix, expected);
    EXPECT_EQ(bones[3]->poseMatrix, identityMatrix());
    EXPECT_EQ(bones[4]->poseMatrix, identityMatrix());
}

TEST_F(BoneEdits, TheSelectedBoneTurnsByExactlyTheRequestSeenFromTheRoot) {
    rootNode->applyPoseMatrix(rotationAboutZ(0.9));
    rootNode->applyUserMatrix(translationMatrix(4.0f, 5.0f, 6.0f));
    bones[1]->applyPoseMatrix(rotationAboutX(1.2));
    bones[2]->applyPoseMatrix(rotationAboutX(-0.4));
    bones[2]->applyPoseMatrix(rotationAboutZ(0.3));

    const Matrix4 request = rotationAboutX(0.35);
    const MatrixD before = worldFrame(*rootNode, 2);
    const MatrixD childBefore = worldFrame(*rootNode, 3);
    rootNode->rotateBone(request, 2);
    const MatrixD after = worldFrame(*rootNode, 2);

    // Turned about its own origin, by the request applied in the root's drawing frame.
    expectLinearPartNear(after, model_test::product(model_test::toDouble(request), before), 1e-6);
    for (int i = 12; i < 15; ++i) EXPECT_NEAR(after[i], before[i], 1e-4) << i;
    // The child follows rigidly.
    const MatrixD childAfter = worldFrame(*rootNode, 3);
    expectLinearPartNear(childAfter,
                         model_test::product(model_test::toDouble(request), childBefore), 1e-6);
    EXPECT_EQ(bones[1]->poseMatrix, rotationAboutX(1.2));
}

TEST_F(BoneEdits, ScaledAncestorsAreUndoneWithTheGeneralInverse) {
    // A loaded pose file may leave a scale in a user matrix.
    Matrix4 scale = identityMatrix();
    scale[0] = 2.0f;
    scale[5] = 0.5f;
    bones[1]->userMatrix = scale;
    bones[1]->applyPoseMatrix(rotationAboutZ(0.7));

    const Matrix4 request = rotationAboutZ(-0.2);
    const MatrixD before = worldFrame(*rootNode, 2);
    rootNode->rotateBone(request, 2);
    const MatrixD after = worldFrame(*rootNode, 2);
    expectLinearPartNear(after, model_test::product(model_test::toDouble(request), before), 1e-5);

    // A singular frame passes the request through unchanged instead of failing.
    bones[1]->userMatrix = identityMatrix();
    bones[1]->userMatrix[0] = 0.0f;
    const Matrix4 expected = matProduct(request, bones[2]->poseMatrix);
    rootNode->rotateBone(request, 2);
    EXPECT_EQ(bones[2]->poseMatrix, expected);
}

TEST_F(BoneEdits, IdentityRequestsNeverDrift) {
    rootNode->applyPoseMatrix(rotationAboutZ(0.9));
    bones[1]->applyPoseMatrix(rotationAboutX(1.2));
    bones[2]->applyPoseMatrix(rotationAboutX(0.5));
    const std::vector<Matrix4> before = allMatrices();
    const Matrix4 identity = identityMatrix();
    for (int i = 0; i < 1000; ++i) {
        rootNode->rotateBone(identity, 3);
        rootNode->rotateBone(identity, 2);
    }
    EXPECT_EQ(allMatrices(), before);

    // A turn and its inverse come back to the start within rounding.
    rootNode->rotateBone(rotationAboutZ(0.5), 3);
    rootNode->rotateBone(rotationAboutZ(-0.5), 3);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(bones[3]->poseMatrix[i], before[10][i], 1e-6) << i;
}

TEST_F(BoneEdits, UnknownTargetsChangeNothing) {
    bones[1]->applyPoseMatrix(rotationAboutX(1.2));
    const std::vector<Matrix4> before = allMatrices();
    rootNode->rotateBone(rotationAboutZ(0.5), 99);
    rootNode->translateBone(translationMatrix(1, 2, 3), 99);
    EXPECT_EQ(allMatrices(), before);
}

}  // namespace
