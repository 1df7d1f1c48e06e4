#pragma once

#include <cstdint>
#include <vector>

#include "import/polygon_matching.h"

// The corners of a polygon that a triangle's three stand for, in the outline's order.
struct CornerMap {
    uint8_t corner[3];
};

// One triangle that fits one polygon. A quad has four halves, each named by the corner it
// leaves out; a triangle has only half 0. Each half holds the triangle's best way onto it (the
// first of equals in a fixed order of the ways), or score 0 where it does not fit.
struct PolygonFit {
    uint32_t triangle = 0, polygon = 0;
    int score[4] = {};
    CornerMap map[4] = {};
    uint8_t rank[4] = {};  // the way's place in the fixed order

    // The best half over all, the first of equals in the fixed order.
    int bestHalf() const;
};

// Corners in place score 5, corners that only look the same 1.
constexpr int kBestFitScore = 15;

// The fits, triangle by triangle: for each triangle, of the polygons it fits, those that hold
// the most of its corners' places (all three, else two, else one).
std::vector<PolygonFit> findFits(const std::vector<BlockPolygon>& polygons,
                                 const std::vector<PartTriangle>& triangles);

// How far a triangle laid on a polygon's corners is from them, positions and looks together,
// in quarter archive units, at most 2^30.
int64_t fitDistance(const PartTriangle& triangle, const BlockPolygon& polygon,
                    const CornerMap& map);

// A triangle's corner c sits and looks as the polygon corner does.
bool unchanged(const PartTriangle& t, int c, const BlockCorner& corner);

// The polygon corners a map covers, one bit each.
uint8_t cornerSet(const CornerMap& map);

// The corner a quad's half leaves out.
int leftOut(uint8_t set);
