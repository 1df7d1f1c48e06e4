#pragma once

// The archives the benchmarks measure, all made with the archive builder: a large model with
// every polygon kind and several textures, and two edit trees (a wide one and a deep one).

#include <cstddef>
#include <string>

#include "archive_builder.h"

struct LargeArchiveShape {
    int bones = 200;
    int polygonsPerBone = 2500;  // 200 x 2500 = 500,000 polygons
};

// Counts of what a large archive holds, for the benchmarks' counters.
struct ArchiveCounts {
    size_t bones = 0;
    size_t polygons = 0;
    size_t corners = 0;
    size_t images = 0;
};

// A model of shape.bones bones in twenty chains below the root, each bone carrying a
// tube-shaped mesh with textured triangles (255, the format's limit), textured quads, shaded
// triangles and shaded quads, no two of them overlapping, plus four TIM images of different
// sizes and palette counts.
archive_builder::Bytes makeLargeArchive(const LargeArchiveShape& shape = {},
                                        ArchiveCounts* counts = nullptr);

// boneCount bones without meshes, all hung directly below the root.
archive_builder::Bytes makeWideTreeArchive(int boneCount);
// boneCount bones without meshes, each hung below the one before: a single chain.
archive_builder::Bytes makeDeepTreeArchive(int boneCount);

// The TIM image whose decoding is measured: 256 pixels wide, 64 rows, 4 palettes, so that its
// four palette copies fill the whole 256 x 256 page.
archive_builder::TimImage makeFullPageImage();

// A path for a scratch file in the system's temporary folder, unique to this process.
std::string scratchPath(const std::string& name);
