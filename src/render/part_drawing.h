#pragma once

class ModelDrawing;
class PartMesh;

// Draws a visible part's triangles of the pass from the drawing; the selected part also draws
// the drawing's axes.
void drawUntextured(const PartMesh& mesh, const ModelDrawing& drawing);
void drawTextured(const PartMesh& mesh, const ModelDrawing& drawing);
