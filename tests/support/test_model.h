#pragma once

#include <cstdint>

#include "model/bone_node.h"

namespace test_support {

// The node of bone id in the tree below root, or nullptr.
inline BoneNode* findBone(BoneNode& root, int32_t id) {
    BoneNode* found = nullptr;
    forEachPreOrder(root, [&](BoneNode& node) {
        if (!found && node.boneId == id) found = &node;
    });
    return found;
}

}  // namespace test_support
