#include "model/edit_history.h"

#include <cstring>

#include "model/bone_node.h"

namespace {

std::vector<BoneNode*> nodesInPreOrder(BoneNode& root) {
    std::vector<BoneNode*> nodes;
    forEachPreOrder(root, [&](BoneNode& node) { nodes.push_back(&node); });
    return nodes;
}

}  // namespace

// Bit for bit: a NaN equals itself and -0 differs from 0, as a saved pose file would.
bool EditHistory::Matrices::operator==(const Matrices& other) const {
    return std::memcmp(this, &other, sizeof *this) == 0;
}

void EditHistory::beginStep(const BoneNode& root) {
    if (open_) return;
    before_.clear();
    forEachPreOrder(root, [&](const BoneNode& node) {
        before_.push_back({node.userMatrix, node.poseMatrix, node.boneOffsetMatrix});
    });
    open_ = true;
}

void EditHistory::endStep(const BoneNode& root) {
    if (!open_) return;
    open_ = false;
    Step step;
    size_t index = 0;
    forEachPreOrder(root, [&](const BoneNode& node) {
        const Matrices now{node.userMatrix, node.poseMatrix, node.boneOffsetMatrix};
        if (index < before_.size() && !(before_[index] == now)) {
            step.push_back({index, before_[index], now});
        }
        ++index;
    });
    before_.clear();
    before_.shrink_to_fit();  // a large tree's copy is not kept between steps
    if (step.empty()) return;
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
    const std::vector<BoneNode*> nodes = nodesInPreOrder(root);
    for (const Change& change : from.back()) {
        if (change.node >= nodes.size()) continue;
        const Matrices& m = forward ? change.after : change.before;
        BoneNode& node = *nodes[change.node];
        node.userMatrix = m.user;
        node.poseMatrix = m.pose;
        node.boneOffsetMatrix = m.offset;
    }
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
    before_.clear();
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}

void LoadedPose::remember(const BoneNode& root) {
    nodes_.clear();
    forEachPreOrder(root, [&](const BoneNode& node) {
        nodes_.push_back({node.userMatrix, node.poseMatrix, node.boneOffsetMatrix});
    });
}

void LoadedPose::restore(BoneNode& root) const {
    size_t index = 0;
    forEachPreOrder(root, [&](BoneNode& node) {
        if (index < nodes_.size()) {
            node.userMatrix = nodes_[index].user;
            node.poseMatrix = nodes_[index].pose;
            node.boneOffsetMatrix = nodes_[index].offset;
        }
        ++index;
    });
}
