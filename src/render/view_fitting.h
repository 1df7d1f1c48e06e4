#pragma once

#include <limits>

#include "model/matrix.h"

class BoneNode;

// The extent of the shown parts in a view's eye space: x and y across the view, depth as the
// distance in front of the eye.
struct EyeBox {
    float minX = std::numeric_limits<float>::infinity(), maxX = -minX;
    float minY = minX, maxY = -minX;
    float nearest = minX, farthest = -minX;
    bool empty() const { return minX > maxX; }
};

// Every corner of every shown part's polygons under the tree's matrices, seen through look (a
// view's modelview matrix). Corners that are not finite numbers are left out.
EyeBox shownPartsBox(const BoneNode& root, const Matrix4& look);

// Pixels left free on each side of a fitted view.
constexpr int kFitMargin = 10;

// Loads the current context's projection so that box fills its width x height view but for the
// margin, centred, the same way up as the start-up projection, and deep enough to hold it all.
// An empty box leaves the projection as it is.
void fitProjectionToBox(const EyeBox& box, int width, int height);

// fitProjectionToBox for the shown parts, with the current context's modelview as the look.
void fitCurrentView(const BoneNode& root, int width, int height);
