#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes bytes to a new file beside path and renames it over path once complete, so the
// target is either the old file or the whole new one. false with the reason in error.
bool replaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// The same for a PNG image of width x height pixels with channels bytes each (3 RGB, 4 RGBA),
// rows top first.
bool writePngFile(const std::string& path, int width, int height, int channels,
                  const std::vector<uint8_t>& pixels, std::string& error);
