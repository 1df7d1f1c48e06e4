#pragma once

#include <cstddef>
#include <vector>

// How a value moves from one key to the next, as glTF animations name it.
enum class Interpolation { Step, Linear, CubicSpline };

// One animated value of width components (a translation or scale of 3; a rotation, the
// quaternion x, y, z, w, of 4) at rising key times. With CubicSpline each key holds three
// values: the in-tangent, the value and the out-tangent.
struct KeyframeTrack {
    Interpolation interpolation = Interpolation::Linear;
    size_t width = 3;
    bool rotation = false;       // blended by slerp, the short way round
    std::vector<double> values;  // width per value, key after key
};

// The track's value at time into out (width values): STEP holds a key, LINEAR blends, CUBICSPLINE
// follows its tangents; before the first key the first value, after the last the last. times
// are the keys' times, rising, at least one. The playback, --render --time and the import all
// sample here, so a pose at a time is the same wherever it is asked for.
void sampleTrack(const std::vector<double>& times, const KeyframeTrack& track, double time,
                 double* out);
