#pragma once

class PartMesh;

// A part's two display lists: listBase untextured, listBase + 1 textured. Compiles both into
// the current GL context and records base as the mesh's listBase.
void buildDisplayLists(PartMesh& mesh, int base);
// Replays a visible part's list of the pass; the selected part also draws its axes.
void drawUntextured(const PartMesh& mesh, int axesList);
void drawTextured(const PartMesh& mesh);
