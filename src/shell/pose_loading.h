#pragma once

class BoneNode;

// "Load matrix" of a pose file onto the tree: every whole matrix the file holds is loaded in
// record order and the rest keep their values, as applyPose does, but a file that does not
// fit the model is told in bones: how many the file holds and how many the model has.
// 0 when something was loaded, -1 otherwise.
int loadPoseTellingBones(BoneNode& root, const char* path);
