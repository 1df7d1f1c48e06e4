#include "model/keyframe_track.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<double> sampled(const std::vector<double>& times, const KeyframeTrack& track,
                            double time) {
    std::vector<double> out(track.width);
    sampleTrack(times, track, time, out.data());
    return out;
}

TEST(KeyframeTrack, StepLinearAndSplineBetweenKeysAndTheEndKeysOutside) {
    const std::vector<double> times{1, 3};
    KeyframeTrack track{Interpolation::Linear, 3, false, {0, 10, -4, 2, 20, 4}};
    EXPECT_EQ(sampled(times, track, 1.5), (std::vector<double>{0.5, 12.5, -2}));
    EXPECT_EQ(sampled(times, track, 0), (std::vector<double>{0, 10, -4}));
    EXPECT_EQ(sampled(times, track, 9), (std::vector<double>{2, 20, 4}));

    track.interpolation = Interpolation::Step;
    EXPECT_EQ(sampled(times, track, 2.9), (std::vector<double>{0, 10, -4}));
    EXPECT_EQ(sampled(times, track, 3), (std::vector<double>{2, 20, 4}));

    // Each key: in-tangent, value, out-tangent. Halfway over 2 s: (p0 + p1) / 2 + (m0 - m1) / 4.
    track.interpolation = Interpolation::CubicSpline;
    track.values = {9, 9, 9, 0, 0, 0, 4, 0, 0, 0, 0, 8, 2, 2, 2, 9, 9, 9};
    EXPECT_EQ(sampled(times, track, 2), (std::vector<double>{2, 1, -1}));
    EXPECT_EQ(sampled(times, track, 5), (std::vector<double>{2, 2, 2}));
}

TEST(KeyframeTrack, RotationsTurnTheShortWayAtAnEvenPace) {
    const double half = std::sqrt(0.5);
    // A quarter turn about z, its second key given as the same turn's negative.
    const KeyframeTrack track{Interpolation::Linear, 4, true, {0, 0, 0, 1, 0, 0, -half, -half}};
    const std::vector<double> q = sampled({0, 1}, track, 0.5);
    EXPECT_NEAR(q[2], std::sin(M_PI / 8), 1e-15);
    EXPECT_NEAR(q[3], std::cos(M_PI / 8), 1e-15);
    EXPECT_EQ(q[0], 0);
    EXPECT_EQ(q[1], 0);
}

}  // namespace
