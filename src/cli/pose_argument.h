#pragma once

#include <optional>
#include <string>

#include "model/pose.h"

class BoneNode;

// Loads a pose file named on the command line onto the tree and returns it. Unlike the viewer's
// "Load matrix", which takes what fits, it must fit the model exactly: 192 bytes for each node
// of the tree, every float finite. Empty with one line "PATH: what is wrong", the tree unchanged.
std::optional<Pose> applyPoseArgument(BoneNode& root, const std::string& path);
