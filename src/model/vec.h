#pragma once

#include <cstdint>

// A position or a texture coordinate (u, v, 0).
class Vec3 {
  public:
    Vec3() = default;
    Vec3(float x, float y, float z) : x_(x), y_(y), z_(z) {}
    float x() const { return x_; }
    float y() const { return y_; }
    float z() const { return z_; }
    bool operator==(const Vec3& o) const { return x_ == o.x_ && y_ == o.y_ && z_ == o.z_; }

  private:
    float x_ = 0.0f, y_ = 0.0f, z_ = 0.0f;
};

// A per-vertex colour, nominally 0..1 per channel.
class Color3 {
  public:
    Color3() = default;
    Color3(float red, float green, float blue) : red_(red), green_(green), blue_(blue) {}
    // From bytes: each byte / 256 (so 255 gives 0.99609375, not 1.0).
    Color3(uint8_t red, uint8_t green, uint8_t blue)
        : red_(static_cast<float>(red / 256.0)),
          green_(static_cast<float>(green / 256.0)),
          blue_(static_cast<float>(blue / 256.0)) {}
    float red() const { return red_; }
    float green() const { return green_; }
    float blue() const { return blue_; }
    bool operator==(const Color3& o) const {
        return red_ == o.red_ && green_ == o.green_ && blue_ == o.blue_;
    }

  private:
    float red_ = 0.0f, green_ = 0.0f, blue_ = 0.0f;
};
