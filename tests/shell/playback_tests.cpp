// "Play poses" on its own clock at the end of the loop: the time the panel shows, the pose the
// tree shows then, and where the steps and a resumed playback go.
#include <string>
#include <vector>

#include "model/edit_history.h"
#include "model/matrix.h"
#include "model/pose_file.h"
#include "shell/playback.h"
#include "shell_test_support.h"
#include "support/test_files.h"

namespace {

TEST_F(ShellTest, PlaybackShowsTheLastPoseAtTheEndOfEachLoopAndLoopsBetween) {
    test_support::TempFolder temp{"veldraxis-playback"};
    loadBones(2);
    std::vector<std::string> paths;
    std::vector<Pose> poses;
    for (const char* name : {"a.bin", "b.bin", "c.bin"}) {  // bone 1 turned further each time
        if (!poses.empty()) viewer.root().rotateBone(rotationAboutX(0.5), 1);
        poses.push_back(Pose::capture(viewer.root()));
        paths.push_back(temp / name);
        ASSERT_TRUE(savePoseFile(viewer.root(), paths.back().c_str()).ok());
    }
    EditHistory history;
    Playback playback;
    ASSERT_TRUE(playback.start(viewer.root(), history, paths, 100.0));
    const auto shows = [&](const std::string& status, size_t k) {
        EXPECT_EQ(playback.status(), status);
        EXPECT_TRUE(Pose::capture(viewer.root()) == poses[k]) << status;
    };
    for (const double at : {102.0, 104.0}) {
        playback.tick(viewer.root(), at);
        shows("Playing 2.00 s  c.bin", 2);
    }
    playback.tick(viewer.root(), 105.75);
    EXPECT_EQ(playback.status(), "Playing 1.75 s  b.bin");
    playback.step(viewer.root(), 1);
    shows("Paused 2.00 s  c.bin", 2);
    // Resumed on the last pose, the clock goes on from the end of the loop, not from 0.
    playback.togglePause(viewer.root(), 150.0);
    shows("Playing 2.00 s  c.bin", 2);
    playback.tick(viewer.root(), 150.25);
    EXPECT_EQ(playback.status(), "Playing 0.25 s  a.bin");
    playback.togglePause(viewer.root(), 151.0);
    for (int k = 0; k < 3; ++k) playback.step(viewer.root(), 1);
    shows("Paused 0.00 s  a.bin", 0);
    playback.step(viewer.root(), -1);
    shows("Paused 2.00 s  c.bin", 2);
}

}  // namespace
