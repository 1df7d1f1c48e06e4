#include "model/keyframe_track.h"

#include <algorithm>
#include <array>

#include "model/trs.h"

void sampleTrack(const std::vector<double>& times, const KeyframeTrack& track, double time,
                 double* out) {
    const size_t n = track.width;
    const bool spline = track.interpolation == Interpolation::CubicSpline;
    const size_t perKey = spline ? 3 : 1;
    // Key k's values: with a spline, 0 the in-tangent, 1 the value, 2 the out-tangent.
    auto part = [&](size_t k, size_t which) {
        return track.values.data() + (k * perKey + which) * n;
    };
    auto value = [&](size_t k) { return part(k, spline ? 1 : 0); };
    auto copy = [&](const double* v) { std::copy(v, v + n, out); };
    if (time <= times.front()) return copy(value(0));
    if (time >= times.back()) return copy(value(times.size() - 1));
    const size_t k = std::upper_bound(times.begin(), times.end(), time) - times.begin() - 1;
    if (track.interpolation == Interpolation::Step) return copy(value(k));
    const double span = times[k + 1] - times[k];
    const double u = (time - times[k]) / span;
    const double *a = value(k), *b = value(k + 1);
    if (spline) {
        const double *m0 = part(k, 2), *m1 = part(k + 1, 0);
        const double u2 = u * u, u3 = u2 * u;
        for (size_t c = 0; c < n; ++c) {
            out[c] = (2 * u3 - 3 * u2 + 1) * a[c] + (u3 - 2 * u2 + u) * span * m0[c] +
                     (-2 * u3 + 3 * u2) * b[c] + (u3 - u2) * span * m1[c];
        }
    } else if (track.rotation) {
        const std::array<double, 4> q =
            slerp({a[0], a[1], a[2], a[3]}, {b[0], b[1], b[2], b[3]}, u);
        copy(q.data());
    } else {
        for (size_t c = 0; c < n; ++c) out[c] = a[c] + u * (b[c] - a[c]);
    }
}
