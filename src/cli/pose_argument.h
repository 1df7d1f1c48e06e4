#pragma once

#include <string>

class BoneNode;

// Loads a pose file named on the command line onto the tree. Unlike the viewer's "Load matrix",
// which takes what fits, it must fit the model exactly: 192 bytes for each node of the tree,
// every float finite. false with one line "PATH: what is wrong", the tree unchanged.
bool applyPoseArgument(BoneNode& root, const std::string& path);
