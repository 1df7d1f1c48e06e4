// "Play poses" on its own clock: the time the panel shows, the pose the tree shows then, and
// where the steps and a resumed playback go at the end of the loop.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "model/edit_history.h"
#include "model/matrix.h"
#include "model/pose.h"
#include "model/pose_file.h"
#include "shell/playback.h"
#include "shell_test_support.h"

namespace {

class PlaybackTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        char pattern[] = "/tmp/veldraxis-playback-XXXXXX";
        dir = mkdtemp(pattern);
        loadBones(2);
        // a.bin, b.bin, c.bin: bone 1 turned a little further each time.
        for (const char* name : {"a.bin", "b.bin", "c.bin"}) {
            if (!poses.empty()) rootNode->rotateBone(rotationAboutX(0.5), 1);
            poses.push_back(Pose::capture(*rootNode));
            paths.push_back(dir + "/" + name);
            ASSERT_EQ(savePoseFile(*rootNode, paths.back().c_str()), 0);
        }
        ASSERT_TRUE(playback.start(*rootNode, history, paths, kStart));
    }
    void TearDown() override {
        ShellTest::TearDown();
        std::system(("rm -rf " + dir).c_str());
    }
    // The panel's line and whether the tree shows pose k as its file holds it.
    void expectShown(double now, const std::string& status, size_t k) {
        playback.tick(*rootNode, now);
        EXPECT_EQ(playback.status(), status) << now;
        EXPECT_TRUE(Pose::capture(*rootNode) == poses[k]) << now;
    }

    static constexpr double kStart = 100.0;
    std::string dir;
    std::vector<std::string> paths;
    std::vector<Pose> poses;
    EditHistory history;
    Playback playback;
};

TEST_F(PlaybackTest, TheEndOfEachLoopShowsTheLastPoseAndTheTimesBetweenLoop) {
    expectShown(kStart, "Playing 0.00 s  a.bin", 0);
    expectShown(kStart + 1, "Playing 1.00 s  b.bin", 1);
    expectShown(kStart + 2, "Playing 2.00 s  c.bin", 2);
    expectShown(kStart + 4, "Playing 2.00 s  c.bin", 2);
    playback.tick(*rootNode, kStart + 2.5);
    EXPECT_EQ(playback.status(), "Playing 0.50 s  a.bin");
    playback.tick(*rootNode, kStart + 5.75);
    EXPECT_EQ(playback.status(), "Playing 1.75 s  b.bin");
}

TEST_F(PlaybackTest, StepsReachTheLastPoseAndResumingThereKeepsIt) {
    playback.tick(*rootNode, kStart + 1.5);
    playback.step(*rootNode, 1);
    EXPECT_EQ(playback.status(), "Paused 2.00 s  c.bin");
    // Resumed on the last pose, the clock goes on from the end of the loop, not from 0.
    playback.togglePause(*rootNode, kStart + 50);
    expectShown(kStart + 50, "Playing 2.00 s  c.bin", 2);
    playback.tick(*rootNode, kStart + 50.25);
    EXPECT_EQ(playback.status(), "Playing 0.25 s  a.bin");
    playback.togglePause(*rootNode, kStart + 51);  // stays at 0.25 s, shown last
    for (int k = 0; k < 3; ++k) playback.step(*rootNode, 1);
    EXPECT_EQ(playback.status(), "Paused 0.00 s  a.bin");
    playback.step(*rootNode, -1);
    expectShown(kStart + 60, "Paused 2.00 s  c.bin", 2);
}

}  // namespace
