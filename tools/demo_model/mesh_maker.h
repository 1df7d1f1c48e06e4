#pragma once

#include <array>
#include <cstdint>

#include "archive_builder.h"

namespace demo {

struct Point {
    float x = 0, y = 0, z = 0;
};

// The texels of a rectangle of the texture image (one palette copy): u0..u1, v0..v1.
struct Tile {
    uint8_t u0, v0, u1, v1;
};

// Builds one mesh block. The views discard faces that appear counter-clockwise on screen, so
// every face is wound to appear clockwise from the side it is meant to be seen from; callers
// name that side (an outward direction) and the winding follows. Colours are shaded here, by a
// fixed light, because the viewer draws vertex colours with lighting off.
class MeshMaker {
  public:
    // A closed six-sided solid; corner index = ix + 2 iy + 4 iz (ix, iy, iz each 0 or 1, 0 for
    // the low side). Every face gets the colour, shaded by its direction and darkened towards
    // +Z (down in the main view).
    void solid(const std::array<Point, 8>& corners, archive_builder::RGB colour);
    // An axis-aligned box, or one whose -Z end is scaled about its centre line in X by topScale.
    void box(float x0, float x1, float y0, float y1, float z0, float z1,
             archive_builder::RGB colour, float topScaleX = 1.0f);

    // A single shaded triangle or quad (outline order), seen from the side `facing` points to.
    void shadedTriangle(std::array<Point, 3> corners, Point facing,
                        std::array<archive_builder::RGB, 3> colours);
    void shadedQuad(std::array<Point, 4> corners, Point facing, archive_builder::RGB colour);

    // A textured rectangle: corners upper-left, upper-right, lower-right, lower-left as seen
    // from `facing`, showing the tile through palette copy `palette` (row offset 64 per copy).
    void texturedPanel(std::array<Point, 4> corners, Point facing, Tile tile, int palette);
    // A textured triangle, each corner with its (u, v) in one palette copy.
    void texturedTriangle(std::array<Point, 3> corners, std::array<archive_builder::UV, 3> uv,
                          Point facing, int palette);

    const archive_builder::MeshBlock& block() const { return block_; }

  private:
    uint16_t vertex(const Point& p);
    archive_builder::MeshBlock block_;
};

// The row offset that selects palette copy m of the demo texture.
uint8_t paletteRowOffset(int palette);

}  // namespace demo
