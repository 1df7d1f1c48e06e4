#include "model/pose.h"

#include <algorithm>
#include <cstring>

#include "model/bone_node.h"

bool NodeMatrices::sameBits(const NodeMatrices& other) const {
    return std::memcmp(this, &other, sizeof *this) == 0;
}

namespace {

bool byId(const Pose::Entry& entry, int32_t id) {
    return entry.boneId < id;
}

}  // namespace

Pose Pose::capture(const BoneNode& root) {
    Pose pose;
    forEachPreOrder(root, [&pose](const BoneNode& node) {
        pose.entries_.push_back(
            {node.boneId, {node.userMatrix, node.poseMatrix, node.boneOffsetMatrix}});
    });
    // The loader attaches bones by rising id, so most of the list is in order already.
    std::stable_sort(pose.entries_.begin(), pose.entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.boneId < b.boneId; });
    return pose;
}

void Pose::apply(BoneNode& root) const {
    if (entries_.empty()) return;
    forEachPreOrder(root, [this](BoneNode& node) {
        if (const NodeMatrices* m = find(node.boneId)) {
            node.userMatrix = m->user;
            node.poseMatrix = m->pose;
            node.boneOffsetMatrix = m->boneOffset;
        }
    });
}

const NodeMatrices* Pose::find(int32_t boneId) const {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), boneId, byId);
    return it != entries_.end() && it->boneId == boneId ? &it->matrices : nullptr;
}

NodeMatrices* Pose::find(int32_t boneId) {
    return const_cast<NodeMatrices*>(static_cast<const Pose&>(*this).find(boneId));
}

void Pose::set(int32_t boneId, const NodeMatrices& matrices) {
    if (entries_.empty() || entries_.back().boneId < boneId) {
        entries_.push_back({boneId, matrices});
        return;
    }
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), boneId, byId);
    if (it != entries_.end() && it->boneId == boneId) {
        it->matrices = matrices;
    } else {
        entries_.insert(it, {boneId, matrices});
    }
}

bool Pose::operator==(const Pose& other) const {
    if (entries_.size() != other.entries_.size()) return false;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].boneId != other.entries_[i].boneId ||
            !entries_[i].matrices.sameBits(other.entries_[i].matrices)) {
            return false;
        }
    }
    return true;
}
