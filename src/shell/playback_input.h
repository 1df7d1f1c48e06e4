#pragma once

struct ViewerState;

// The viewer's side of "Play poses": the menu command, the keys while playing and the timer.

// Asks for the pose files and starts playing them.
void playPoses(ViewerState& viewer);
bool playbackRunning(const ViewerState& viewer);
// Space pauses and resumes, ',' and '.' step to the previous and next pose, Escape stops;
// other keys do nothing while playing.
void onPlaybackKey(ViewerState& viewer, unsigned char key);
// The playback timer: shows the next frame and asks for the one after, while playing.
void onPlaybackTick(ViewerState& viewer, int value);
// Ends playing, keeping the pose shown as one undoable edit (another model, Quit).
void stopPlayback(ViewerState& viewer);
