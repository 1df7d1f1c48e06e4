#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Saves bytes at path as pose files are saved (beside the target, renamed over it once
// complete; links, modes and write protection kept). false with the reason in error.
bool replaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// The same for a PNG image of width x height pixels with channels bytes each (3 RGB, 4 RGBA),
// rows top first.
bool writePngFile(const std::string& path, int width, int height, int channels,
                  const std::vector<uint8_t>& pixels, std::string& error);
