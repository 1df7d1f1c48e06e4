#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "import/block_polygons.h"

// A file triangle brought into its bone's frame, in archive units, its corners in the viewer's
// winding (the file's second and third corners swapped).
struct PartTriangle {
    float position[3][3];
    float attribute[3][3];  // textured: 256 s, 256 t, 0; shaded: 256 × the sRGB value
    bool textured;
};

// What became of one archive polygon.
struct PolygonFate {
    bool kept = false;
    // For each corner, the triangle corner (3 × triangle + corner) it comes back as, or -1 where
    // no triangle holds it (it keeps its values).
    std::array<int32_t, 4> source{{-1, -1, -1, -1}};
};

struct PartMatching {
    std::vector<PolygonFate> polygons;   // one per block polygon
    std::vector<uint32_t> newTriangles;  // triangles that are no polygon of the archive
    bool untouched = false;              // every polygon comes back as it was, and nothing is new
};

// Within what another tool's storage does to a value, it is still the archive's.
constexpr double kPositionSlack = 0.5;
constexpr double kTexCoordSlack = 0.5;
constexpr double kColourSlack = 1.0;

// Past this many triangles or polygon halves in one group of fits, the group is matched by
// taking the best fits one by one, so that a file made to tie everything together stays cheap.
constexpr size_t kMaxAssignedGroup = 32;

// Matches the part's triangles to its polygons: a triangle is a polygon's (or one half of a
// quad's, on either diagonal) when its corners sit where the polygon's do, or, for the corners
// that moved, carry the same texture coordinate or colour, with at least one corner in place
// (two when only positions match). Triangles and polygons that fit each other, however far
// apart, are assigned as one group: each quad takes the diagonal its fits fill best, and the
// triangles go to the polygons for the best total fit, then the least total distance.
PartMatching matchPart(const std::vector<BlockPolygon>& polygons,
                       const std::vector<PartTriangle>& triangles);

// True when the triangles are, pass by pass (textured, then shaded, each in polygon order), each
// polygon's own fan with every corner as it was, a degenerate polygon's fan perhaps left out:
// what an untouched export brings back. matchPart would find such a part untouched too; this
// finds it in one pass, without looking anything up.
bool comesBackInOrder(const std::vector<BlockPolygon>& polygons,
                      const std::vector<PartTriangle>& triangles);
