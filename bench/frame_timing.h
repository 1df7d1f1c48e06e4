#pragma once

// Wall-clock timing of GL frames: each frame is drawn and then waited for with glFinish.

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

struct Samples {
    std::vector<double> ms;
    double median() const {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0.0 : s[s.size() / 2];
    }
    double mean() const {
        double sum = 0.0;
        for (double v : ms) sum += v;
        return ms.empty() ? 0.0 : sum / static_cast<double>(ms.size());
    }
};

// One timed frame: draw, then wait until GL has finished it.
inline double timeOne(const std::function<void()>& draw) {
    const auto t = Clock::now();
    draw();
    glFinish();
    return msSince(t);
}
