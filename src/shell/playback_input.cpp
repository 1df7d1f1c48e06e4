#include "shell/playback_input.h"

#include <string>
#include <vector>

#include "shell/glui_lite.h"
#include "shell/playback.h"
#include "shell/shell_platform.h"
#include "shell/viewer_state.h"

namespace {

constexpr unsigned char kEscape = 27;

void startTicks(ViewerState& viewer) {
    viewer.platform->startTimer(Playback::kTickMilliseconds, ViewerTimer::Playback,
                                ++viewer.posePlaying.timerGeneration);
}

void showFrame(ViewerState& viewer) {
    PanelControls& panel = viewer.panel;
    if (panel.playbackLine) {
        panel.playbackLine->text = viewer.posePlaying.playback.status();
        if (panel.window && panel.window->onChanged) panel.window->onChanged();
    }
    viewer.platform->setWindow(viewer.windows.main);
    viewer.platform->postRedisplay();
}

}  // namespace

void playPoses(ViewerState& viewer) {
    std::vector<std::string> paths;
    if (!viewer.platform->choosePoseFiles(paths)) return;
    if (!viewer.posePlaying.playback.start(viewer.root(), viewer.editHistory, paths,
                                           viewer.platform->clockSeconds()))
        return;
    startTicks(viewer);
    showFrame(viewer);
}

bool playbackRunning(const ViewerState& viewer) {
    return viewer.posePlaying.playback.playing();
}

void onPlaybackKey(ViewerState& viewer, unsigned char key) {
    Playback& playback = viewer.posePlaying.playback;
    switch (key) {
        case ' ':
            playback.togglePause(viewer.root(), viewer.platform->clockSeconds());
            if (!playback.paused()) startTicks(viewer);
            break;
        case ',':
            playback.step(viewer.root(), -1);
            break;
        case '.':
            playback.step(viewer.root(), +1);
            break;
        case kEscape:
            stopPlayback(viewer);
            return;
        default:
            return;
    }
    showFrame(viewer);
}

void onPlaybackTick(ViewerState& viewer, int value) {
    Playback& playback = viewer.posePlaying.playback;
    if (value != viewer.posePlaying.timerGeneration || !playback.playing() || playback.paused())
        return;
    playback.tick(viewer.root(), viewer.platform->clockSeconds());
    startTicks(viewer);
    showFrame(viewer);
}

void stopPlayback(ViewerState& viewer) {
    Playback& playback = viewer.posePlaying.playback;
    if (!playback.playing()) return;
    playback.stop(viewer.root(), viewer.editHistory);
    showFrame(viewer);
}
