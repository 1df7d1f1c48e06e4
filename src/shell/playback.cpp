#include "shell/playback.h"

#include <cmath>
#include <cstdio>

#include "console/console.h"
#include "model/bone_node.h"
#include "model/edit_history.h"

bool Playback::start(BoneNode& root, EditHistory& history, const std::vector<std::string>& paths,
                     double now) {
    if (playing_) stop(root, history);
    std::vector<std::string> notes;
    const Result<> loaded = sequence_.load(root, paths, notes);
    for (const std::string& note : notes) consolePrintf("%s\n", note.c_str());
    if (!loaded) {
        consolePrintf("%s\n", loaded.message.c_str());
        return false;
    }
    history.beginStep(root);
    playing_ = true;
    paused_ = false;
    clockAtZero_ = now;
    show(root, 0.0);
    return true;
}

void Playback::show(BoneNode& root, double time) {
    time_ = sequence_.wrap(time);
    sequence_.at(time_).apply(root);
}

void Playback::tick(BoneNode& root, double now) {
    if (playing_ && !paused_) show(root, now - clockAtZero_);
}

void Playback::togglePause(BoneNode& root, double now) {
    if (!playing_) return;
    paused_ = !paused_;
    // Going on from the time shown, not from where the clock has got to meanwhile.
    if (!paused_) clockAtZero_ = now - time_;
    tick(root, now);
}

void Playback::step(BoneNode& root, int direction) {
    if (!playing_) return;
    paused_ = true;
    const int count = static_cast<int>(sequence_.size());
    // The pose at or before the time shown: on a pose, that pose itself.
    const int key = static_cast<int>(shownKey());
    const bool onKey = time_ == std::floor(time_);
    int next = direction > 0 ? key + 1 : onKey ? key - 1 : key;
    next = (next % count + count) % count;
    time_ = next;
    sequence_.pose(next).apply(root);
}

void Playback::stop(BoneNode& root, EditHistory& history) {
    if (!playing_) return;
    playing_ = paused_ = false;
    history.endStep(root);
}

std::string Playback::status() const {
    if (!playing_) return "";
    const std::string& path = sequence_.name(shownKey());
    const size_t slash = path.find_last_of('/');
    char line[64];
    std::snprintf(line, sizeof line, "%s %.2f s  ", paused_ ? "Paused" : "Playing", time_);
    return line + (slash == std::string::npos ? path : path.substr(slash + 1));
}

size_t Playback::shownKey() const {
    return sequence_.keyAt(time_);
}
