#pragma once

#include <cstddef>
#include <deque>

#include "model/pose.h"

class BoneNode;

// The undo and redo history of the bone edits. A step is everything that changed between
// beginStep and endStep (a drag from press to release, a "Load matrix", a reset): for each node
// whose matrices changed, its user, pose and bone-offset matrices before and after, so that undo
// and redo restore them bit for bit. The tree's shape must not change while the history is kept;
// clear it when another model is loaded.
class EditHistory {
  public:
    static constexpr size_t kMaxSteps = 1000;
    static constexpr size_t kMaxBytes = size_t{64} << 20;

    EditHistory(size_t maxSteps = kMaxSteps, size_t maxBytes = kMaxBytes)
        : maxSteps_(maxSteps), maxBytes_(maxBytes) {}

    // Remembers every node's matrices; a step already begun is kept open.
    void beginStep(const BoneNode& root);
    // Ends the open step: when any matrix changed, the step goes onto the undo list and the
    // redo list is dropped. Without an open step nothing happens.
    void endStep(const BoneNode& root);
    bool stepOpen() const { return open_; }

    // Undo and redo one step; false when there is none. A step still open is ended first and
    // begun again afterwards, so a drag in progress goes on as a new step.
    bool undo(BoneNode& root);
    bool redo(BoneNode& root);

    void clear();
    size_t undoSteps() const { return undo_.size(); }
    size_t redoSteps() const { return redo_.size(); }
    size_t bytes() const { return bytes_; }  // what the kept steps hold

  private:
    // The changed nodes' matrices before and after.
    struct Step {
        Pose before, after;
    };

    static size_t bytesOf(const Step& step) {
        return sizeof(Step) + (step.before.size() + step.after.size()) * sizeof(Pose::Entry);
    }
    bool move(std::deque<Step>& from, std::deque<Step>& to, BoneNode& root, bool forward);
    void dropOldest();

    size_t maxSteps_, maxBytes_;
    bool open_ = false;
    Pose before_;
    std::deque<Step> undo_, redo_;
    size_t bytes_ = 0;
};
