#include "import/polygon_matching.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "import/least_cost_assignment.h"
#include "import/polygon_fits.h"

namespace {

// A triangle taken as a polygon's, or as one half of a quad's.
struct Choice {
    int score;
    uint32_t order;  // its fit's place among the fits
    uint32_t triangle, polygon;
    CornerMap map;
};

// Best fits first, then the fits' order: how the halves of a quad are visited.
bool visitedBefore(const Choice& a, const Choice& b) {
    return a.score != b.score ? a.score > b.score : a.order < b.order;
}

// One half of a polygon that a triangle can be assigned to.
struct Slot {
    uint32_t polygon;
    int half;
};

// What a quad's diagonal can be given: halves filled, their score, and how far they are.
struct PairValue {
    int halves = 0, score = 0;
    int64_t distance = 0;
    bool betterThan(const PairValue& o) const {
        if (halves != o.halves) return halves > o.halves;
        if (score != o.score) return score > o.score;
        return distance < o.distance;
    }
};

constexpr int64_t kScoreStep = int64_t{1} << 40;  // above any sum of distances in a group
constexpr int64_t kUnassigned = (kBestFitScore + 1) * kScoreStep;
constexpr int64_t kRefused = int64_t{1} << 56;
// How often a group's quads may turn a disagreeing half away before a quad is given up.
constexpr size_t kMaxDisagreements = 2;
// Assignments tried for one group before it is matched one fit at a time: each costs up to
// kMaxAssignedGroup² × 2 kMaxAssignedGroup steps.
constexpr size_t kMaxSolves = 4;

// A quad's two diagonals by the halves they make: its own first (the viewer fans from
// corner 0, so its halves leave out corners 3 and 1), then the other.
constexpr int kDiagonalHalves[2][2] = {{3, 1}, {0, 2}};

class Matcher {
  public:
    Matcher(const std::vector<BlockPolygon>& polygons, const std::vector<PartTriangle>& triangles,
            const std::vector<PolygonFit>& fits)
        : polygons_(polygons),
          triangles_(triangles),
          fits_(fits),
          used_(triangles.size(), false),
          halves_(polygons.size(), 0),
          covered_(polygons.size(), 0),
          rowOf_(triangles.size(), -1),
          slotsOf_(polygons.size(), -1) {}

    // Takes the best fits one by one, as far as the polygons still have room.
    void takeGreedily(const std::vector<uint32_t>& group) {
        std::vector<Choice> candidates;
        for (uint32_t f : group) {
            const PolygonFit& fit = fits_[f];
            const int h = fit.bestHalf();
            candidates.push_back({fit.score[h], f, fit.triangle, fit.polygon, fit.map[h]});
        }
        std::sort(candidates.begin(), candidates.end(), visitedBefore);
        for (const Choice& c : candidates) {
            if (used_[c.triangle]) continue;
            const uint8_t set = cornerSet(c.map);
            const uint8_t halves = halves_[c.polygon];
            if (polygons_[c.polygon].cornerCount == 3) {
                if (halves) continue;
            } else if (halves == 1) {
                // The second half of a quad leaves out the corner opposite the first's.
                if (leftOut(set) != (leftOut(covered_[c.polygon]) + 2) % 4) continue;
            } else if (halves >= 2) {
                continue;
            }
            used_[c.triangle] = true;
            ++halves_[c.polygon];
            covered_[c.polygon] |= set;
            chosen.push_back(c);
        }
    }

    // Takes a polygon that came back as it was, alone in its group: true when the group is that.
    bool takeAsItWas(const std::vector<uint32_t>& group) {
        const PolygonFit& first = fits_[group[0]];
        const BlockPolygon& polygon = polygons_[first.polygon];
        if (polygon.cornerCount == 3) {
            if (group.size() != 1) return false;
        } else {
            if (group.size() != 2 || fits_[group[1]].polygon != first.polygon) return false;
            const PolygonFit& second = fits_[group[1]];
            const int a = first.bestHalf(), b = second.bestHalf();
            // Any other pair of halves of a quad whose corners are apart fits worse.
            if (first.score[a] != kBestFitScore || second.score[b] != kBestFitScore ||
                (a + 2) % 4 != b || polygon.degenerate()) {
                return false;
            }
        }
        for (uint32_t f : group) {
            const PolygonFit& fit = fits_[f];
            const int h = fit.bestHalf();
            chosen.push_back({fit.score[h], f, fit.triangle, fit.polygon, fit.map[h]});
        }
        return true;
    }

    // Assigns the group's triangles to its polygons as a whole, for the most score, then the
    // least distance; false, with nothing taken, when the group is too large for that or takes
    // too many tries.
    bool assign(const std::vector<uint32_t>& group) {
        rows_.clear();
        polygonsHere_.clear();
        for (uint32_t f : group) {
            const PolygonFit& fit = fits_[f];
            if (rowOf_[fit.triangle] < 0) {
                rowOf_[fit.triangle] = static_cast<int32_t>(rows_.size());
                rows_.push_back(fit.triangle);
            }
            if (slotsOf_[fit.polygon] < 0) {
                slotsOf_[fit.polygon] = 0;
                polygonsHere_.push_back(fit.polygon);
            }
        }
        size_t slotCount = 0;
        for (uint32_t p : polygonsHere_) slotCount += polygons_[p].cornerCount == 4 ? 2 : 1;
        const bool small = rows_.size() <= kMaxAssignedGroup && slotCount <= kMaxAssignedGroup;
        const bool solved = small && solve(group);
        for (uint32_t t : rows_) rowOf_[t] = -1;
        for (uint32_t p : polygonsHere_) slotsOf_[p] = -1;
        return solved;
    }

    std::vector<Choice> chosen;

  private:
    int64_t distance(size_t groupFit, int half) {
        int64_t& d = distances_[4 * groupFit + half];
        if (d < 0) {
            const PolygonFit& fit = fits_[group_[groupFit]];
            d = fitDistance(triangles_[fit.triangle], polygons_[fit.polygon], fit.map[half]);
        }
        return d;
    }

    // Two halves make one quad when they put its diagonal's corners at one place, or when each
    // is its triangle's best fit (which the quad took before, the edited half winning).
    bool halvesAgree(const PolygonFit& a, int halfA, const PolygonFit& b, int halfB) const {
        if (a.bestHalf() == halfA && b.bestHalf() == halfB) return true;
        const PartTriangle &ta = triangles_[a.triangle], &tb = triangles_[b.triangle];
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                if (a.map[halfA].corner[i] != b.map[halfB].corner[j]) continue;
                for (int axis = 0; axis < 3; ++axis) {
                    if (!(std::fabs(ta.position[i][axis] - tb.position[j][axis]) <=
                          kPositionSlack)) {
                        return false;
                    }
                }
            }
        }
        return true;
    }

    // The diagonal whose two halves the quad's fits fill best, its own on equal terms.
    int diagonalOf(const std::vector<size_t>& fitsOfQuad) {
        PairValue best[2];
        for (int d = 0; d < 2; ++d) {
            const int first = kDiagonalHalves[d][0], second = kDiagonalHalves[d][1];
            // Each half from one fit, or from none.
            for (size_t a = 0; a <= fitsOfQuad.size(); ++a) {
                for (size_t b = 0; b <= fitsOfQuad.size(); ++b) {
                    if (a == b && a < fitsOfQuad.size()) continue;
                    if (a < fitsOfQuad.size() && b < fitsOfQuad.size() &&
                        !halvesAgree(fits_[group_[fitsOfQuad[a]]], first,
                                     fits_[group_[fitsOfQuad[b]]], second)) {
                        continue;
                    }
                    PairValue v;
                    if (a < fitsOfQuad.size()) add(v, fitsOfQuad[a], first);
                    if (b < fitsOfQuad.size()) add(v, fitsOfQuad[b], second);
                    if (v.betterThan(best[d])) best[d] = v;
                }
            }
        }
        return best[1].betterThan(best[0]) ? 1 : 0;
    }

    void add(PairValue& v, size_t groupFit, int half) {
        const int s = fits_[group_[groupFit]].score[half];
        if (s <= 0) return;
        ++v.halves;
        v.score += s;
        v.distance += distance(groupFit, half);
    }

    bool solve(const std::vector<uint32_t>& group) {
        group_ = group;
        distances_.assign(4 * group.size(), -1);
        // The slots: one for a triangle, the halves of the chosen diagonal for a quad.
        std::sort(polygonsHere_.begin(), polygonsHere_.end());
        std::vector<size_t>& byPolygon = byPolygon_;
        byPolygon.resize(group.size());
        std::iota(byPolygon.begin(), byPolygon.end(), size_t{0});
        std::stable_sort(byPolygon.begin(), byPolygon.end(), [&](size_t a, size_t b) {
            return fits_[group[a]].polygon < fits_[group[b]].polygon;
        });
        slots_.clear();
        std::vector<size_t>& fitsOfQuad = fitsOfQuad_;
        for (size_t i = 0, p = 0; p < polygonsHere_.size(); ++p) {
            const uint32_t polygon = polygonsHere_[p];
            fitsOfQuad.clear();
            for (; i < byPolygon.size() && fits_[group[byPolygon[i]]].polygon == polygon; ++i) {
                fitsOfQuad.push_back(byPolygon[i]);
            }
            slotsOf_[polygon] = static_cast<int32_t>(slots_.size());
            if (polygons_[polygon].cornerCount == 3) {
                slots_.push_back({polygon, 0});
            } else {
                const int d = diagonalOf(fitsOfQuad);
                slots_.push_back({polygon, kDiagonalHalves[d][0]});
                slots_.push_back({polygon, kDiagonalHalves[d][1]});
            }
        }
        // Rows are the triangles; after the slots, one column per row for leaving it out.
        const size_t rows = rows_.size(), columns = slots_.size() + rows;
        cost_.assign(rows * columns, kRefused);
        for (size_t r = 0; r < rows; ++r) {
            std::fill_n(cost_.begin() + r * columns + slots_.size(), rows, kUnassigned);
        }
        for (size_t g = 0; g < group.size(); ++g) {
            const PolygonFit& fit = fits_[group[g]];
            const size_t row = static_cast<size_t>(rowOf_[fit.triangle]);
            const size_t first = static_cast<size_t>(slotsOf_[fit.polygon]);
            for (size_t s = first; s < slots_.size() && slots_[s].polygon == fit.polygon; ++s) {
                const int score = fit.score[slots_[s].half];
                if (score <= 0) continue;
                cost_[row * columns + s] =
                    (kBestFitScore + 1 - score) * kScoreStep + distance(g, slots_[s].half);
            }
        }
        // Half a quad keeps nothing: its slots go and the triangles are assigned again. Halves
        // that disagree lose the later of the two, a bounded number of times before the quad.
        size_t disagreements = 0;
        for (size_t solves = 0; solves < kMaxSolves; ++solves) {
            const std::vector<size_t>& columnOf = solver_.solve(rows, columns, cost_);
            std::vector<int32_t>& fitIn = fitIn_;
            fitIn.assign(slots_.size(), -1);
            for (size_t g = 0; g < group.size(); ++g) {
                const PolygonFit& fit = fits_[group[g]];
                const size_t s = columnOf[static_cast<size_t>(rowOf_[fit.triangle])];
                if (s < slots_.size() && slots_[s].polygon == fit.polygon) {
                    fitIn[s] = static_cast<int32_t>(g);
                }
            }
            bool again = false;
            for (size_t s = 0; s + 1 < slots_.size(); ++s) {
                if (slots_[s].polygon != slots_[s + 1].polygon) continue;
                const int32_t a = fitIn[s], b = fitIn[s + 1];
                if (a >= 0 && b >= 0) {
                    const PolygonFit &fa = fits_[group[a]], &fb = fits_[group[b]];
                    if (halvesAgree(fa, slots_[s].half, fb, slots_[s + 1].half)) continue;
                    if (++disagreements <= kMaxDisagreements) {
                        const bool dropB = visitedBefore(choiceOf(a, slots_[s].half),
                                                         choiceOf(b, slots_[s + 1].half));
                        const size_t slot = dropB ? s + 1 : s;
                        const uint32_t triangle = dropB ? fb.triangle : fa.triangle;
                        cost_[static_cast<size_t>(rowOf_[triangle]) * columns + slot] = kRefused;
                        again = true;
                        continue;
                    }
                } else if (a < 0 && b < 0) {
                    continue;
                }
                again = true;
                for (size_t r = 0; r < rows; ++r) {
                    cost_[r * columns + s] = cost_[r * columns + s + 1] = kRefused;
                }
            }
            if (again) continue;
            for (size_t s = 0; s < slots_.size(); ++s) {
                if (fitIn[s] >= 0) chosen.push_back(choiceOf(fitIn[s], slots_[s].half));
            }
            return true;
        }
        return false;
    }

    Choice choiceOf(int32_t groupFit, int half) const {
        const uint32_t f = group_[static_cast<size_t>(groupFit)];
        const PolygonFit& fit = fits_[f];
        return {fit.score[half], f, fit.triangle, fit.polygon, fit.map[half]};
    }

    const std::vector<BlockPolygon>& polygons_;
    const std::vector<PartTriangle>& triangles_;
    const std::vector<PolygonFit>& fits_;
    // What the greedy choice has taken.
    std::vector<bool> used_;
    std::vector<uint8_t> halves_, covered_;
    // One group's rows and slots.
    std::vector<int32_t> rowOf_, slotsOf_;
    std::vector<uint32_t> rows_, polygonsHere_, group_;
    std::vector<Slot> slots_;
    std::vector<size_t> byPolygon_, fitsOfQuad_;
    std::vector<int32_t> fitIn_;
    std::vector<int64_t> distances_, cost_;
    LeastCostAssignment solver_;
};

// The fits by group: fits that share a triangle or a polygon, however far, are one group. The
// fits of group g are order[start[g]] up to order[start[g + 1]], in their own order.
struct FitGroups {
    std::vector<uint32_t> order, start;
};

FitGroups groupsOf(const std::vector<PolygonFit>& fits, size_t triangles, size_t polygons) {
    std::vector<uint32_t> parent(triangles + polygons);
    std::iota(parent.begin(), parent.end(), uint32_t{0});
    auto root = [&parent](uint32_t n) {
        while (parent[n] != n) n = parent[n] = parent[parent[n]];
        return n;
    };
    for (const PolygonFit& f : fits) {
        const uint32_t a = root(f.triangle), b = root(static_cast<uint32_t>(triangles + f.polygon));
        if (a != b) parent[std::max(a, b)] = std::min(a, b);
    }
    // Groups numbered as their first fits come, then the fits sorted by group.
    std::vector<uint32_t> groupOf(parent.size(), UINT32_MAX), fitGroup(fits.size());
    FitGroups out;
    out.start.push_back(0);
    for (uint32_t f = 0; f < fits.size(); ++f) {
        uint32_t& g = groupOf[root(fits[f].triangle)];
        if (g == UINT32_MAX) {
            g = static_cast<uint32_t>(out.start.size() - 1);
            out.start.push_back(0);
        }
        fitGroup[f] = g;
        ++out.start[g + 1];
    }
    for (size_t g = 1; g < out.start.size(); ++g) out.start[g] += out.start[g - 1];
    std::vector<uint32_t> next(out.start.begin(), out.start.end() - 1);
    out.order.resize(fits.size());
    for (uint32_t f = 0; f < fits.size(); ++f) out.order[next[fitGroup[f]]++] = f;
    return out;
}

}  // namespace

PartMatching matchPart(const std::vector<BlockPolygon>& polygons,
                       const std::vector<PartTriangle>& triangles) {
    const std::vector<PolygonFit> fits = findFits(polygons, triangles);
    Matcher matcher(polygons, triangles, fits);
    const FitGroups groups = groupsOf(fits, triangles.size(), polygons.size());
    std::vector<uint32_t> group;
    for (size_t g = 0; g + 1 < groups.start.size(); ++g) {
        group.assign(groups.order.begin() + groups.start[g],
                     groups.order.begin() + groups.start[g + 1]);
        if (!matcher.takeAsItWas(group) && !matcher.assign(group)) matcher.takeGreedily(group);
    }
    std::vector<Choice>& chosen = matcher.chosen;
    std::sort(chosen.begin(), chosen.end(), visitedBefore);

    PartMatching out;
    out.polygons.resize(polygons.size());
    std::vector<uint8_t> halves(polygons.size(), 0);
    std::vector<bool> used(triangles.size(), false);
    for (const Choice& c : chosen) {
        const BlockPolygon& polygon = polygons[c.polygon];
        used[c.triangle] = true;
        ++halves[c.polygon];
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

namespace {

// The triangle is the polygon's fan triangle (0, k, k + 1), in any rotation but in the same
// winding (a triangle turned over is an edit), with every corner as it was.
bool isFanTriangle(const PartTriangle& t, const BlockPolygon& polygon, int k) {
    const int fan[3] = {0, k, k + 1};
    for (int r = 0; r < 3; ++r) {
        bool all = true;
        for (int c = 0; c < 3 && all; ++c) {
            all = unchanged(t, c, polygon.corners[fan[(c + r) % 3]]);
        }
        if (all) return true;
    }
    return false;
}

bool passComesBackInOrder(const std::vector<BlockPolygon>& polygons,
                          const std::vector<PartTriangle>& triangles, bool textured) {
    size_t t = 0;
    auto nextTriangle = [&]() -> const PartTriangle* {
        while (t < triangles.size() && triangles[t].textured != textured) ++t;
        return t < triangles.size() ? &triangles[t] : nullptr;
    };
    for (const BlockPolygon& polygon : polygons) {
        if (polygon.textured() != textured || polygon.cornerCount < 3) continue;
        for (int k = 1; k + 1 < polygon.cornerCount; ++k) {
            const PartTriangle* triangle = nextTriangle();
            if (triangle && isFanTriangle(*triangle, polygon, k)) {
                ++t;
            } else if (k == 1 && polygon.degenerate()) {
                break;  // no other tool keeps it, so it may be missing
            } else {
                return false;
            }
        }
    }
    return nextTriangle() == nullptr;
}

}  // namespace

bool comesBackInOrder(const std::vector<BlockPolygon>& polygons,
                      const std::vector<PartTriangle>& triangles) {
    return passComesBackInOrder(polygons, triangles, true) &&
           passComesBackInOrder(polygons, triangles, false);
}
