#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"

// Reads a PNG of 8-bit RGB (channels 3) or RGBA (channels 4) whose size is width x height into
// pixels, rows top first. Any other colour type or channel depth, or another size, is refused:
// fails with the reason as one phrase. Nothing is allocated for the pixels before
// the header has passed.
Result<> decodeRgbPng(const uint8_t* data, size_t size, int width, int height, int channels,
                      std::vector<uint8_t>& pixels);
