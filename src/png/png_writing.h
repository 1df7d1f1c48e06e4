#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"

// Encodes an image of width x height pixels with channels bytes each (3 RGB, 4 RGBA), rows top
// first, as a PNG. Every RGB and RGBA picture the program writes (--render, --texture, the
// export's texture page) is encoded here; palette images are in indexed_png.h.
bool encodePng(int width, int height, int channels, const uint8_t* pixels,
               std::vector<uint8_t>& png);

// Encodes the image and saves it at path with saveFile; fails with the reason.
Result<> writePngFile(const std::string& path, int width, int height, int channels,
                      const std::vector<uint8_t>& pixels);
