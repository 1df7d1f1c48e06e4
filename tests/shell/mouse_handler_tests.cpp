// Mouse drags in the three modes: the matrices handed to the bones and the projections.
#include <cmath>

#include "shell/handlers.h"
#include "shell_test_support.h"

namespace {

class MouseHandlerTest : public ShellTest {
  protected:
    void drag(int fromX, int fromY, int toX, int toY) {
        onMouseButton(viewer, 0, 0, fromX, fromY);
        onMotion(viewer, toX, toY);
    }
};

TEST_F(MouseHandlerTest, FortyPixelsRightTurnsTheModelMinusOneRadianAboutZ) {
    loadBones(2);
    drag(100, 100, 140, 100);
    const Matrix4& pose = viewer.root().poseMatrix;
    EXPECT_EQ(pose, rotationAboutZ(-1.0));  // the X rotation by 0 that follows is the identity
    EXPECT_EQ(pose[1], static_cast<float>(-std::sin(1.0)));
    EXPECT_EQ(pose[4], static_cast<float>(std::sin(1.0)));
    EXPECT_EQ(bone(1).poseMatrix, identityMatrix());
    EXPECT_EQ(bone(2).poseMatrix, identityMatrix());
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"postRedisplay"}));
}

TEST_F(MouseHandlerTest, FortyPixelsDownTurnsTheModelOneRadianAboutX) {
    loadBones(1);
    drag(100, 100, 100, 140);
    EXPECT_EQ(viewer.root().poseMatrix, rotationAboutX(1.0));
    EXPECT_EQ(viewer.root().poseMatrix[6], static_cast<float>(std::sin(1.0)));
    EXPECT_EQ(viewer.root().poseMatrix[9], static_cast<float>(-std::sin(1.0)));
}

TEST_F(MouseHandlerTest, DiagonalDragTurnsAboutZFirstThenX) {
    loadBones(1);
    drag(0, 0, 20, -12);
    const Matrix4 turnedAboutZ = matProduct(rotationAboutZ(-20 / 40.0), identityMatrix());
    EXPECT_EQ(viewer.root().poseMatrix, matProduct(rotationAboutX(-12 / 40.0), turnedAboutZ));
}

TEST_F(MouseHandlerTest, RotationActsOnTheSelectedBoneOnly) {
    loadBones(2);
    viewer.selectedBone = 2;
    drag(0, 0, 40, 0);
    EXPECT_EQ(viewer.root().poseMatrix, identityMatrix());
    EXPECT_EQ(bone(1).poseMatrix, identityMatrix());
    EXPECT_EQ(bone(2).poseMatrix, rotationAboutZ(-1.0));
}

TEST_F(MouseHandlerTest, TranslationMovesAlongXAndZ) {
    loadBones(1);
    viewer.mouseMode = MouseModeTranslation;
    drag(50, 60, 55, 53);
    const Matrix4 expected = translationMatrix(5.0f, 0.0f, -7.0f);
    EXPECT_EQ(viewer.root().userMatrix, expected);
    EXPECT_EQ(viewer.root().poseMatrix, identityMatrix());

    viewer.selectedBone = 1;
    onMotion(viewer, 58, 53);
    EXPECT_EQ(bone(1).userMatrix[12], 3.0f);
    EXPECT_EQ(bone(1).userMatrix[14], 0.0f);
    EXPECT_EQ(viewer.root().userMatrix, expected);
}

TEST_F(MouseHandlerTest, PressRecordsThePositionReleaseAndMotionFollow) {
    onMouseButton(viewer, 2, 0, 10, 20);  // any button
    EXPECT_EQ(viewer.pointer.lastX, 10.0f);
    EXPECT_EQ(viewer.pointer.lastY, 20.0f);
    onMouseButton(viewer, 0, 1, 99, 99);  // a release changes nothing
    EXPECT_EQ(viewer.pointer.lastX, 10.0f);
    EXPECT_EQ(viewer.pointer.lastY, 20.0f);
    onMotion(viewer, 30, 25);
    EXPECT_EQ(viewer.pointer.lastX, 30.0f);
    EXPECT_EQ(viewer.pointer.lastY, 25.0f);
    EXPECT_TRUE(platform.calls.empty() || platform.calls.back() == "postRedisplay");
}

// A zoom step scales the projections of main, side and up in that order, then selects main.
void expectZoom(const RecordingPlatform& platform, float scale) {
    EXPECT_EQ(platform.calls,
              (std::vector<std::string>{"setWindow 11", "multiplyProjection", "setWindow 12",
                                        "multiplyProjection", "setWindow 13", "multiplyProjection",
                                        "setWindow 11", "postRedisplay"}));
    ASSERT_EQ(platform.projections.size(), 3u);
    Matrix4 expected = identityMatrix();
    expected[0] = expected[5] = expected[10] = scale;
    for (const Matrix4& m : platform.projections) EXPECT_EQ(m, expected);
}

TEST_F(MouseHandlerTest, ZoomScalesAllThreeProjections) {
    viewer.mouseMode = MouseModeZoom;
    const struct {
        int dy;
        float scale;
    } steps[] = {{10, 0.95f}, {-10, 1.05f}, {0, 1.0f}, {1000, -3.5f}, {-1000, 5.5f}, {900, -3.5f}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.dy);
        platform.calls.clear();
        platform.projections.clear();
        drag(7, 100, 300, 100 + step.dy);  // dx plays no part
        expectZoom(platform, step.scale);
        EXPECT_EQ(viewer.root().poseMatrix, identityMatrix());
    }
}

TEST_F(MouseHandlerTest, ZoomScaleIsComputedInDoublePrecision) {
    viewer.mouseMode = MouseModeZoom;
    drag(0, 0, 0, 3);
    ASSERT_EQ(platform.projections.size(), 3u);
    EXPECT_EQ(platform.projections[0][0], static_cast<float>(1.0 - 0.005 * 3));
}

}  // namespace
