#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

    // Adds the next frame: channels bytes a pixel (3 RGB, 4 RGBA), top row first. false with
    // the reason in error.
    bool add(const std::vector<uint8_t>& pixels, int channels, std::string& error);
    // The file's bytes, after the last frame. false with the reason in error.
    bool finish(std::vector<uint8_t>& webp, std::string& error);

  private:
    WebPAnimEncoder* encoder_ = nullptr;
    int timestamp(int frame) const;

    int width_, height_, framesPerSecond_;
    int frames_ = 0;
};

// Saves the animation at path with saveFile. false with the reason in error.
bool writeWebpFile(const std::string& path, WebpAnimation& animation, std::string& error);
