#pragma once

#include "archive_builder.h"

class Model;

// The model the export tests write: a figure facing the main view (+y) with its head up (-z)
// and its left hand to the viewer's right (+x), in every polygon kind, textured through two
// palettes (with holes), with turned bones and one bone whose parent comes later, so it stays
// out of the tree. Bones: 1 spine below the root, 2 head and 3 left hand below the spine,
// 4 hat below the head, 5 a stray whose parent is bone 6, 6 a tail below the root.
archive_builder::Bytes buildExportTestArchive();

// Loads that archive into an empty model, as the viewer loads, without its lines.
void loadExportTestArchive(Model& model);

// Triangles the export writes for it: the tree's polygons, quads as two triangles.
constexpr size_t kExportTestTriangles = 18;
