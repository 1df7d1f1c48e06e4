#include "model/edit_history.h"

#include "model/bone_node.h"

void EditHistory::beginStep(const BoneNode& root) {
    if (open_) return;
    before_ = Pose::capture(root);
    open_ = true;
}

void EditHistory::endStep(const BoneNode& root) {
    if (!open_) return;
    open_ = false;
    Step step;
    const Pose after = Pose::capture(root);
    for (const Pose::Entry& now : after.entries()) {
        const NodeMatrices* before = before_.find(now.boneId);
        if (before && !before->sameBits(now.matrices)) {
            step.before.set(now.boneId, *before);
            step.after.set(now.boneId, now.matrices);
        }
    }
    before_ = Pose();  // a large tree's copy is not kept between steps
    if (step.after.empty()) return;
    for (const Step& dropped : redo_) bytes_ -= bytesOf(dropped);
    redo_.clear();
    bytes_ += bytesOf(step);
    undo_.push_back(std::move(step));
    dropOldest();
}

void EditHistory::dropOldest() {
    while (!undo_.empty() && (undo_.size() > maxSteps_ || bytes_ > maxBytes_)) {
        bytes_ -= bytesOf(undo_.front());
        undo_.pop_front();
    }
}

bool EditHistory::move(std::deque<Step>& from, std::deque<Step>& to, BoneNode& root, bool forward) {
    const bool wasOpen = open_;
    endStep(root);
    if (from.empty()) {
        if (wasOpen) beginStep(root);
        return false;
    }
    const Step& step = from.back();
    (forward ? step.after : step.before).apply(root);
    to.push_back(std::move(from.back()));
    from.pop_back();
    if (wasOpen) beginStep(root);
    return true;
}

bool EditHistory::undo(BoneNode& root) {
    return move(undo_, redo_, root, false);
}

bool EditHistory::redo(BoneNode& root) {
    return move(redo_, undo_, root, true);
}

void EditHistory::clear() {
    open_ = false;
    before_ = Pose();
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}
