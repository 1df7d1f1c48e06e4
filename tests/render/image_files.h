#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gltest {

// An RGB image, top row first.
struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

bool readPng(const std::string& path, Image& image);
bool writePng(const std::string& path, const Image& image);

// Pixels whose channels differ by more than channelTolerance, and an image that shows them
// (red where they differ, the baseline dimmed elsewhere).
struct Comparison {
    bool sameSize = false;
    size_t differingPixels = 0;
    Image difference;
};
Comparison compareImages(const Image& rendered, const Image& baseline, int channelTolerance);

}  // namespace gltest
