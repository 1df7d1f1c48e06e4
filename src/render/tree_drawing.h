#pragma once

#include <cstdint>
#include <vector>

class BoneNode;
class ModelDrawing;

// Draws each visible part of the tree below root under its bone matrices from the drawing's
// lists, one pass each; the untextured pass also draws the selected part's axes.
void drawUntexturedTree(const BoneNode& root, const ModelDrawing& drawing);
void drawTexturedTree(const BoneNode& root, const ModelDrawing& drawing);
// Both passes' triangles of the parts whose bone id is listed (0 lists every part), visible or not,
// under their bone matrices, in whatever state the caller has set.
void drawListedParts(const BoneNode& root, const ModelDrawing& drawing,
                     const std::vector<int32_t>& boneIds);
