#pragma once

#include <cstdint>

class BoneNode;
class ModelDrawing;

// Which bone's part is drawn on top at a pixel of the current view. The parts are drawn again
// from the drawing's arrays, each in a colour that encodes its bone id, into that one pixel of the
// back buffer, which the next frame draws over before it is shown. Transparent texels do not count,
// as they show what lies behind them. x and y are GL window coordinates (origin bottom left).
// Returns the bone id, or -1 for the background or a pixel outside the view.
int32_t pickBoneAt(const BoneNode& root, const ModelDrawing& drawing, int x, int y);

// Used by the pick pass's tree walk (tree_drawing.cpp): the emitted colour for a bone's part,
// and the walk itself over the untextured or the textured triangles.
void setPickColour(int32_t boneId);
void drawPickTree(const BoneNode& root, const ModelDrawing& drawing, bool textured);
