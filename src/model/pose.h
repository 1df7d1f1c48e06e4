#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/matrix.h"

class BoneNode;

// The three matrices of one node: the mesh is drawn under user · pose, the children under
// user · pose · boneOffset.
struct NodeMatrices {
    Matrix4 user, pose, boneOffset;
    // Bit for bit: a NaN equals itself and -0 differs from 0, as a saved pose file would.
    bool sameBits(const NodeMatrices& other) const;
};

// The matrices of some or all nodes of a tree, keyed by bone id (the loader gives every node
// its own). Pose files, the undo history, "Reset pose", the export and the import all hold
// poses in this one form; only the pose file reader and writer know the file's node order.
class Pose {
  public:
    struct Entry {
        int32_t boneId;
        NodeMatrices matrices;
    };

    // Every node's matrices.
    static Pose capture(const BoneNode& root);
    // Sets the matrices of every node the pose holds; the other nodes keep theirs.
    void apply(BoneNode& root) const;

    const NodeMatrices* find(int32_t boneId) const;
    NodeMatrices* find(int32_t boneId);
    void set(int32_t boneId, const NodeMatrices& matrices);

    const std::vector<Entry>& entries() const { return entries_; }  // by rising bone id
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    bool operator==(const Pose& other) const;  // bit for bit
    bool operator!=(const Pose& other) const { return !(*this == other); }

  private:
    std::vector<Entry> entries_;
};
