#include "import/polygon_fits.h"

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

// The three rotations of a triangle, the twelve ordered thirds of a quad.
const CornerMap kTriangleMaps[] = {{{0, 1, 2}}, {{1, 2, 0}}, {{2, 0, 1}}};
const CornerMap kQuadMaps[] = {
    {{0, 1, 2}}, {{1, 2, 3}}, {{2, 3, 0}}, {{3, 0, 1}}, {{0, 1, 3}}, {{1, 2, 0}},
    {{2, 3, 1}}, {{3, 0, 2}}, {{0, 2, 3}}, {{1, 3, 0}}, {{2, 0, 1}}, {{3, 1, 2}},
};
// The corner each of those leaves out.
const uint8_t kQuadMapHalf[] = {3, 0, 1, 2, 2, 3, 0, 1, 1, 2, 3, 0};

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

// The triangle's best way onto each half of the polygon; false when it fits none.
bool fit(const PartTriangle& triangle, const BlockPolygon& polygon, PolygonFit& out) {
    const bool quad = polygon.cornerCount == 4;
    const CornerMap* maps = quad ? kQuadMaps : kTriangleMaps;
    const Agreement agree = agreement(triangle, polygon);
    bool any = false;
    for (uint8_t m = 0; m < (quad ? 12u : 3u); ++m) {
        const int s = score(agree, maps[m]);
        const int half = quad ? kQuadMapHalf[m] : 0;
        if (s > out.score[half]) {
            out.score[half] = s;
            out.map[half] = maps[m];
            out.rank[half] = m;
            any = true;
        }
    }
    return any;
}

int64_t clampedQuarters(double d) {
    return d < (1 << 28) ? std::llround(4 * d) : int64_t{1} << 30;
}

}  // namespace

int PolygonFit::bestHalf() const {
    int best = 0;
    for (int h = 1; h < 4; ++h) {
        if (score[h] > score[best] ||
            (score[h] > 0 && score[h] == score[best] && rank[h] < rank[best])) {
            best = h;
        }
    }
    return best;
}

std::vector<PolygonFit> findFits(const std::vector<BlockPolygon>& polygons,
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

    std::vector<PolygonFit> fits;
    fits.reserve(triangles.size());
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
                PolygonFit f;
                f.triangle = t;
                f.polygon = p;
                if (fit(triangle, polygon, f)) {
                    fits.push_back(f);
                    found = true;
                }
            }
            if (found) break;
        }
    }
    return fits;
}

int64_t fitDistance(const PartTriangle& triangle, const BlockPolygon& polygon,
                    const CornerMap& map) {
    double d = 0;
    for (int c = 0; c < 3; ++c) {
        const BlockCorner& corner = polygon.corners[map.corner[c]];
        for (int a = 0; a < 3; ++a) {
            d += std::fabs(triangle.position[c][a] - corner.position[a]);
            d += std::fabs(triangle.attribute[c][a] - corner.attribute[a]);
        }
    }
    // Not a number where the file's look is none: as far as can be.
    return d == d ? clampedQuarters(d) : int64_t{1} << 30;
}

bool unchanged(const PartTriangle& t, int c, const BlockCorner& corner) {
    return samePosition(t.position[c], corner.position) &&
           sameAttribute(t.attribute[c], corner.attribute, t.textured);
}

uint8_t cornerSet(const CornerMap& map) {
    return static_cast<uint8_t>((1u << map.corner[0]) | (1u << map.corner[1]) |
                                (1u << map.corner[2]));
}

int leftOut(uint8_t set) {
    for (int k = 0; k < 4; ++k) {
        if (!(set & (1u << k))) return k;
    }
    return -1;
}
