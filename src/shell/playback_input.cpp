#include "shell/playback_input.h"

#include <string>
#include <vector>

#include "shell/glui_lite.h"
#include "shell/playback.h"
#include "shell/shell_platform.h"
#include "shell/viewer_state.h"

namespace {

constexpr unsigned char kEscape = 27;

// Each start of the timer gets a new number, so a tick already asked for before a pause does
// not run a second chain of ticks after the resume.
int timerGeneration = 0;

void startTicks() {
    shellPlatform->startTimer(Playback::kTickMilliseconds, onPlaybackTick, ++timerGeneration);
}

void showFrame() {
    if (playbackLine) {
        playbackLine->text = posePlayback().status();
        if (controlPanel && controlPanel->onChanged) controlPanel->onChanged();
    }
    shellPlatform->setWindow(mainWindow);
    shellPlatform->postRedisplay();
}

}  // namespace

void playPoses() {
    if (!rootNode) return;
    std::vector<std::string> paths;
    if (!shellPlatform->choosePoseFiles(paths)) return;
    if (!posePlayback().start(*rootNode, editHistory, paths, shellPlatform->clockSeconds())) return;
    startTicks();
    showFrame();
}

bool playbackRunning() {
    return posePlayback().playing();
}

void onPlaybackKey(unsigned char key) {
    Playback& playback = posePlayback();
    switch (key) {
        case ' ':
            playback.togglePause(*rootNode, shellPlatform->clockSeconds());
            if (!playback.paused()) startTicks();
            break;
        case ',':
            playback.step(*rootNode, -1);
            break;
        case '.':
            playback.step(*rootNode, +1);
            break;
        case kEscape:
            stopPlayback();
            return;
        default:
            return;
    }
    showFrame();
}

void onPlaybackTick(int value) {
    Playback& playback = posePlayback();
    if (value != timerGeneration || !playback.playing() || playback.paused()) return;
    playback.tick(*rootNode, shellPlatform->clockSeconds());
    startTicks();
    showFrame();
}

void stopPlayback() {
    if (!posePlayback().playing()) return;
    posePlayback().stop(*rootNode, editHistory);
    showFrame();
}
