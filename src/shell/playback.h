#pragma once

#include <string>
#include <vector>

#include "model/pose_sequence.h"

class BoneNode;
class EditHistory;

// "Play poses": a sequence of pose files shown as the export's animation, looping (see
// PoseSequence). The clock is handed in, so the playback runs without a window system.
class Playback {
  public:
    static constexpr int kTickMilliseconds = 16;  // some 60 frames a second

    // Loads the pose files and shows pose 0 at clock time now. The shown poses become one edit,
    // begun here in history and ended by stop(). false with one line when they cannot be played;
    // then nothing changes.
    bool start(BoneNode& root, EditHistory& history, const std::vector<std::string>& paths,
               double now);
    bool playing() const { return playing_; }
    bool paused() const { return paused_; }

    // Shows the pose at clock time now (nothing moves while paused).
    void tick(BoneNode& root, double now);
    void togglePause(BoneNode& root, double now);
    // Pauses on the pose before (-1) or after (+1) the one shown.
    void step(BoneNode& root, int direction);
    // Ends playing with the pose shown as the current pose: one edit that Undo takes back.
    void stop(BoneNode& root, EditHistory& history);

    double time() const { return time_; }
    // What the panel shows: the time and the pose file at or before it.
    std::string status() const;

  private:
    void show(BoneNode& root, double time);
    // The pose at or before the time shown; the last pose at the end of the loop.
    size_t shownKey() const;

    PoseSequence sequence_;
    bool playing_ = false, paused_ = false;
    double clockAtZero_ = 0.0;  // the clock time at which the sequence was at 0 s
    double time_ = 0.0;
};
