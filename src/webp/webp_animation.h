#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"

struct WebPAnimEncoder;

// A lossless, endlessly looping animated WebP built frame by frame, so that a long animation
// never holds all its frames at once.
class WebpAnimation {
  public:
    // Frames of width x height pixels, framesPerSecond of them a second: frame k starts at
    // k * 1000 / framesPerSecond ms, rounded, so that the pace holds over the loop.
    WebpAnimation(int width, int height, int framesPerSecond);
    ~WebpAnimation();
    WebpAnimation(const WebpAnimation&) = delete;
    WebpAnimation& operator=(const WebpAnimation&) = delete;

    // Adds the next frame: channels bytes a pixel (3 RGB, 4 RGBA), top row first. Fails with
    // the reason.
    Result<> add(const std::vector<uint8_t>& pixels, int channels);
    // The file's bytes, after the last frame; fails with the reason.
    Result<> finish(std::vector<uint8_t>& webp);

  private:
    WebPAnimEncoder* encoder_ = nullptr;
    int timestamp(int frame) const;

    int width_, height_, framesPerSecond_;
    int frames_ = 0;
};

// Saves the animation at path with saveFile; fails with the reason.
Result<> writeWebpFile(const std::string& path, WebpAnimation& animation);
