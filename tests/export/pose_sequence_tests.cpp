// The pose sequence the playback and --render --time draw: the poses at whole seconds, the
// blends between them, and the poses it refuses.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "export_test_archive.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/pose_file.h"
#include "model/pose_sequence.h"
#include "support/model_fixture.h"
#include "support/test_files.h"

namespace {

// The node's pre-order index in the tree.
size_t indexOf(const BoneNode& root, int32_t boneId) {
    size_t index = 0, found = 0;
    forEachPreOrder(root, [&](const BoneNode& node) {
        if (node.boneId == boneId) found = index;
        ++index;
    });
    return found;
}

// Each node's transform relative to its parent in the pose.
std::vector<Mat4d> localsOf(const Pose& pose, const BoneNode& root) {
    std::vector<NodeMatrices> ordered;
    EXPECT_TRUE(matricesInTreeOrder(pose, root, ordered));
    return localTransforms(ordered, preOrderParents(root));
}

void expectNear(const Mat4d& actual, const Mat4d& expected, const std::string& what) {
    for (int e = 0; e < 16; ++e) EXPECT_NEAR(actual[e], expected[e], 1e-4) << what << " " << e;
}

class PoseSequenceTest : public test_support::ModelFixture {
  protected:
    void SetUp() override {
        loadExportTestArchive(model);
        loaded = Pose::capture(*rootNode);
    }

    // The loaded pose with the head (bone 2) turned by angle about z after its own pose.
    Pose headTurned(double angle) const {
        Pose pose = loaded;
        NodeMatrices* head = pose.find(2);
        head->pose = matProduct(head->pose, rotationAboutZ(angle));
        return pose;
    }

    Pose loaded;
};

TEST_F(PoseSequenceTest, WholeSecondsGiveThePosesBitForBitAndTheEndOfEachLoopTheLastPose) {
    const std::vector<PoseSequence::Source> poses{
        {"a", loaded}, {"b", headTurned(0.5)}, {"c", headTurned(-1.0)}};
    PoseSequence sequence;
    ASSERT_EQ(sequence.build(*rootNode, poses).message, "");
    EXPECT_EQ(sequence.size(), 3u);
    EXPECT_EQ(sequence.period(), 2.0);
    EXPECT_EQ(sequence.name(1), "b");
    EXPECT_TRUE(sequence.at(0.0) == poses[0].pose);
    EXPECT_TRUE(sequence.at(1.0) == poses[1].pose);
    EXPECT_TRUE(sequence.at(2.0) == poses[2].pose);
    EXPECT_TRUE(sequence.at(4.0) == poses[2].pose);  // two loops
    EXPECT_TRUE(sequence.at(-1.0) == poses[1].pose);
    EXPECT_TRUE(sequence.at(2.5) == sequence.at(0.5));  // the next loop begins from pose 0
    EXPECT_EQ(sequence.keyAt(1.5), 1u);
    EXPECT_EQ(sequence.keyAt(6.0), 2u);
    EXPECT_EQ(sequence.wrap(0.0), 0.0);
    EXPECT_EQ(sequence.wrap(4.5), 0.5);
}

TEST_F(PoseSequenceTest, HalfwayTheTurnedBoneIsHalfTurnedAndTheOthersStay) {
    const Pose half = headTurned(0.4);
    PoseSequence sequence;
    ASSERT_EQ(sequence.build(*rootNode, {{"a", loaded}, {"b", headTurned(0.8)}}).message, "");
    const Pose blend = sequence.at(0.5);
    const std::vector<Mat4d> actual = localsOf(blend, *rootNode);
    const std::vector<Mat4d> expected = localsOf(half, *rootNode);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) expectNear(actual[i], expected[i], "node");
    // The translation lies in the user matrix, the bone offsets are the poses' own.
    for (const Pose::Entry& entry : blend.entries()) {
        for (int e = 12; e < 15; ++e) EXPECT_EQ(entry.matrices.pose[e], 0.0f) << entry.boneId;
        EXPECT_TRUE(entry.matrices.boneOffset == loaded.find(entry.boneId)->boneOffset);
    }
}

TEST_F(PoseSequenceTest, BelowABoneOffsetWithNoInverseTheBlendStaysInTheParentFrame) {
    // The spine's offset is too small to invert; the head's user matrix makes up for it, so
    // the head's transform relative to the spine still splits.
    Pose odd = loaded;
    for (int e : {0, 5, 10}) odd.find(1)->boneOffset[e] = 1e-13f;
    for (int id : {2, 3}) {
        for (int e : {0, 5, 10}) odd.find(id)->user[e] *= 1e13f;
    }
    PoseSequence sequence;
    ASSERT_EQ(sequence.build(*rootNode, {{"a", odd}, {"b", odd}}).message, "");
    const Pose blend = sequence.at(0.5);
    const size_t head = indexOf(*rootNode, 2);
    const NodeMatrices* m = blend.find(2);
    expectNear(multiply(toMat4d(m->user), toMat4d(m->pose)), localsOf(odd, *rootNode)[head],
               "head");
}

TEST_F(PoseSequenceTest, RefusesAPoseThatLacksANodeOrDoesNotSplit) {
    Pose partial;
    partial.set(0, *loaded.find(0));
    Pose sheared = loaded;
    sheared.find(2)->user[4] = 0.5f;
    PoseSequence sequence;
    EXPECT_EQ(sequence.build(*rootNode, {{"a", loaded}, {"partial.bin", partial}}).message,
              "partial.bin: the pose does not fit the tree");
    EXPECT_EQ(sequence.size(), 0u);
    EXPECT_EQ(sequence.build(*rootNode, {{"a", loaded}, {"bad.bin", sheared}}).message,
              "bad.bin: bone 2 is not a translation, rotation and positive scale (a shear)");
    EXPECT_EQ(sequence.size(), 0u);
    EXPECT_TRUE(sequence.at(0.5).empty());
}

TEST_F(PoseSequenceTest, LoadsEachFileOnTheTreeAndPutsTheTreeBack) {
    test_support::TempFolder temp{"veldraxis-sequence"};
    const std::string a = temp / "a.bin", b = temp / "b.bin";
    ASSERT_TRUE(savePoseFile(*rootNode, a.c_str()).ok());
    ASSERT_TRUE(savePoseFile(*rootNode, headTurned(0.5), b.c_str()).ok());
    PoseSequence sequence;
    std::vector<std::string> notes;
    EXPECT_EQ(sequence.load(*rootNode, {a, b}, notes).message, "");
    EXPECT_TRUE(notes.empty());
    ASSERT_EQ(sequence.size(), 2u);
    EXPECT_EQ(sequence.name(1), b);
    EXPECT_TRUE(sequence.pose(1) == headTurned(0.5));
    EXPECT_TRUE(Pose::capture(*rootNode) == loaded);
}

TEST_F(PoseSequenceTest, LoadNamesTheFileThatCannotBeUsed) {
    test_support::TempFolder temp{"veldraxis-sequence"};
    const std::string good = temp / "good.bin", empty = temp / "empty.bin",
                      missing = temp / "missing.bin";
    ASSERT_TRUE(savePoseFile(*rootNode, good.c_str()).ok());
    { std::ofstream{empty}; }
    PoseSequence sequence;
    {
        std::vector<std::string> notes;
        EXPECT_EQ(sequence.load(*rootNode, {good, missing}, notes).message,
                  missing + ": No such file or directory");
        EXPECT_TRUE(notes.empty());
    }
    {
        // The file's own line, as "Load matrix" gives it, then the refusal.
        std::vector<std::string> notes;
        EXPECT_EQ(sequence.load(*rootNode, {empty, good}, notes).message,
                  empty + ": no matrix could be read");
        EXPECT_EQ(notes, std::vector<std::string>{
                             "Pose file has 0 bytes, the model needs " +
                             std::to_string(poseNodeCount(*rootNode) * kPoseRecordBytes) +
                             ": loaded the first 0 matrices, kept the rest"});
    }
    {
        std::vector<std::string> notes;
        EXPECT_EQ(sequence.load(*rootNode, {temp.path()}, notes).message,
                  temp.path() + ": no matrix could be read");
        EXPECT_EQ(notes, std::vector<std::string>{"Cannot read pose file " + temp.path() +
                                                  ": Is a directory"});
    }
    std::vector<std::string> notes;
    EXPECT_EQ(sequence.load(*rootNode, {}, notes).message, "No pose file to play");
    EXPECT_TRUE(Pose::capture(*rootNode) == loaded);
}

}  // namespace
