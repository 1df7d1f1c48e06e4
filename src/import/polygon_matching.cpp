#include "import/polygon_matching.h"

#include <algorithm>
#include <cmath>

namespace {

bool samePosition(const float* file, const int* archive) {
    for (int a = 0; a < 3; ++a) {
        if (!(std::fabs(file[a] - archive[a]) <= kPositionSlack)) return false;
    }
    return true;
}

bool sameAttribute(const float* file, const int* archive, bool textured) {
    const int channels = textured ? 2 : 3;
    const double slack = textured ? kTexCoordSlack : kColourSlack;
    for (int a = 0; a < channels; ++a) {
        if (!(std::fabs(file[a] - archive[a]) <= slack)) return false;
    }
    return true;
}

bool unchanged(const PartTriangle& t, int c, const BlockCorner& corner) {
    return samePosition(t.position[c], corner.position) &&
           sameAttribute(t.attribute[c], corner.attribute, t.textured);
}

// The place a position is looked up by; false when no archive vertex can be there.
bool positionKey(const float* p, uint64_t& key) {
    key = 0;
    for (int a = 0; a < 3; ++a) {
        if (!(std::fabs(p[a]) < 40000)) return false;
        key = (key << 17) | static_cast<uint64_t>(std::llround(p[a]) + 65536);
    }
    return true;
}

uint64_t positionKey(const int* p) {
    uint64_t key = 0;
    for (int a = 0; a < 3; ++a) key = (key << 17) | static_cast<uint64_t>(p[a] + 65536);
    return key;
}

// The corners of a polygon that a triangle's three can stand for, keeping the outline's order:
// the three rotations of a triangle, the twelve ordered thirds of a quad.
struct CornerMap {
    uint8_t corner[3];
};
const CornerMap kTriangleMaps[] = {{{0, 1, 2}}, {{1, 2, 0}}, {{2, 0, 1}}};
const CornerMap kQuadMaps[] = {
    {{0, 1, 2}}, {{1, 2, 3}}, {{2, 3, 0}}, {{3, 0, 1}}, {{0, 1, 3}}, {{1, 2, 0}},
    {{2, 3, 1}}, {{3, 0, 2}}, {{0, 2, 3}}, {{1, 3, 0}}, {{2, 0, 1}}, {{3, 1, 2}},
};

struct Candidate {
    int score;
    uint32_t triangle, polygon;
    CornerMap map;
};

// Which of a triangle's corners sit where a polygon's do (bit 0) and look as they do (bit 1).
struct Agreement {
    uint8_t corner[3][4];
};

Agreement agreement(const PartTriangle& t, const BlockPolygon& p) {
    Agreement a{};
    for (int c = 0; c < 3; ++c) {
        for (int k = 0; k < p.cornerCount; ++k) {
            a.corner[c][k] = static_cast<uint8_t>(
                samePosition(t.position[c], p.corners[k].position) |
                sameAttribute(t.attribute[c], p.corners[k].attribute, t.textured) << 1);
        }
    }
    return a;
}

// Scores one way of laying a triangle on a polygon, corners in place first, then corners that
// look the same; 0 when it does not fit.
int score(const Agreement& a, const CornerMap& map) {
    int placed = 0, total = 0;
    bool everyCorner = true;
    for (int c = 0; c < 3; ++c) {
        const uint8_t agree = a.corner[c][map.corner[c]];
        const bool place = agree & 1, look = agree & 2;
        placed += place;
        total += 4 * place + look;
        everyCorner = everyCorner && agree;
    }
    return placed >= 2 || (placed == 1 && everyCorner) ? total : 0;
}

uint8_t cornerSet(const CornerMap& map) {
    return static_cast<uint8_t>((1u << map.corner[0]) | (1u << map.corner[1]) |
                                (1u << map.corner[2]));
}

// The corner a quad's half leaves out.
int leftOut(uint8_t set) {
    for (int k = 0; k < 4; ++k) {
        if (!(set & (1u << k))) return k;
    }
    return -1;
}

}  // namespace

PartMatching matchPart(const std::vector<BlockPolygon>& polygons,
                       const std::vector<PartTriangle>& triangles) {
    // Every polygon corner by its place, sorted, for lookups by place.
    std::vector<std::pair<uint64_t, uint32_t>> byPlace;
    byPlace.reserve(polygons.size() * 4);
    for (uint32_t p = 0; p < polygons.size(); ++p) {
        const BlockPolygon& polygon = polygons[p];
        for (int c = 0; c < polygon.cornerCount; ++c) {
            byPlace.emplace_back(positionKey(polygon.corners[c].position), p);
        }
    }
    std::sort(byPlace.begin(), byPlace.end());

    std::vector<Candidate> candidates;
    std::vector<uint32_t> near;
    for (uint32_t t = 0; t < triangles.size(); ++t) {
        const PartTriangle& triangle = triangles[t];
        near.clear();
        for (int c = 0; c < 3; ++c) {
            uint64_t key;
            if (!positionKey(triangle.position[c], key)) continue;
            auto it =
                std::lower_bound(byPlace.begin(), byPlace.end(), std::make_pair(key, uint32_t{0}));
            for (; it != byPlace.end() && it->first == key; ++it) {
                // Once per corner, though a polygon may hold the place twice.
                if (it == byPlace.begin() || std::prev(it)->second != it->second ||
                    std::prev(it)->first != key) {
                    near.push_back(it->second);
                }
            }
        }
        std::sort(near.begin(), near.end());
        // Polygons that all three corners reach come first, then those two reach, then those
        // one reaches (two corners moved): the first that give a fit are the candidates.
        for (size_t reach = 3; reach >= 1; --reach) {
            bool found = false;
            for (size_t i = 0; i < near.size();) {
                size_t j = i;
                while (j < near.size() && near[j] == near[i]) ++j;
                const uint32_t p = near[i];
                const size_t reached = j - i;
                i = j;
                if (reached != reach) continue;
                const BlockPolygon& polygon = polygons[p];
                if (polygon.textured() != triangle.textured) continue;
                Candidate best{0, t, p, {}};
                const bool quad = polygon.cornerCount == 4;
                const CornerMap* maps = quad ? kQuadMaps : kTriangleMaps;
                const Agreement agree = agreement(triangle, polygon);
                for (size_t m = 0; m < (quad ? 12u : 3u); ++m) {
                    const int s = score(agree, maps[m]);
                    if (s > best.score) best = {s, t, p, maps[m]};
                }
                if (best.score > 0) {
                    candidates.push_back(best);
                    found = true;
                }
            }
            if (found) break;
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.score > b.score; });

    PartMatching out;
    out.polygons.resize(polygons.size());
    std::vector<uint8_t> covered(polygons.size(), 0), halves(polygons.size(), 0);
    std::vector<bool> used(triangles.size(), false);
    for (const Candidate& c : candidates) {
        if (used[c.triangle]) continue;
        const BlockPolygon& polygon = polygons[c.polygon];
        const uint8_t set = cornerSet(c.map);
        if (polygon.cornerCount == 3) {
            if (halves[c.polygon]) continue;
        } else if (halves[c.polygon] == 1) {
            // The second half of a quad leaves out the corner opposite the first's.
            if (leftOut(set) != (leftOut(covered[c.polygon]) + 2) % 4) continue;
        } else if (halves[c.polygon] >= 2) {
            continue;
        }
        used[c.triangle] = true;
        ++halves[c.polygon];
        covered[c.polygon] |= set;
        PolygonFate& fate = out.polygons[c.polygon];
        // A quad's diagonal corners come back twice; where the two halves disagree, the one
        // that changed the corner is the edit.
        for (int k = 0; k < 3; ++k) {
            const BlockCorner& corner = polygon.corners[c.map.corner[k]];
            int32_t& source = fate.source[c.map.corner[k]];
            if (source < 0 || (unchanged(triangles[source / 3], source % 3, corner) &&
                               !unchanged(triangles[c.triangle], k, corner))) {
                source = static_cast<int32_t>(3 * c.triangle + k);
            }
        }
    }

    for (uint32_t p = 0; p < polygons.size(); ++p) {
        const BlockPolygon& polygon = polygons[p];
        PolygonFate& fate = out.polygons[p];
        const bool whole = polygon.cornerCount == 3 ? halves[p] == 1 : halves[p] == 2;
        if (whole) {
            fate.kept = true;
        } else if (polygon.degenerate()) {
            // No other tool can hold it, so its absence is no deletion.
            fate.kept = true;
        } else {
            if (halves[p] == 1) {
                // Half a quad: the other half was deleted, and the half left is a new triangle.
                const uint32_t triangle = static_cast<uint32_t>(*std::max_element(
                                              fate.source.begin(), fate.source.end())) /
                                          3;
                used[triangle] = false;
            }
            fate = PolygonFate{};
        }
    }
    for (uint32_t t = 0; t < triangles.size(); ++t) {
        if (!used[t]) out.newTriangles.push_back(t);
    }
    out.untouched = out.newTriangles.empty();
    for (uint32_t p = 0; p < polygons.size() && out.untouched; ++p) {
        const PolygonFate& fate = out.polygons[p];
        for (int k = 0; k < polygons[p].cornerCount && fate.kept; ++k) {
            const int32_t s = fate.source[k];
            if (s >= 0 && !unchanged(triangles[s / 3], s % 3, polygons[p].corners[k])) {
                out.untouched = false;
            }
        }
        out.untouched = out.untouched && fate.kept;
    }
    return out;
}
