#pragma once

class ModelDrawing;
class PartMesh;

// Compiles one of a part's two lists into the current GL context: its untextured polygons, or
// its textured ones.
void compilePartList(unsigned list, const PartMesh& mesh, bool textured);
// Replays a visible part's list of the pass from the drawing; the selected part also draws the
// drawing's axes.
void drawUntextured(const PartMesh& mesh, const ModelDrawing& drawing);
void drawTextured(const PartMesh& mesh, const ModelDrawing& drawing);
