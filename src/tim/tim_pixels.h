#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tim/tim_format.h"
#include "tim/tim_image.h"

// The pixel indices and palettes of one archive image, read out of and written into the entry's
// bytes (entry: its first byte) at the places its header gives. The header was checked first, so
// that every byte named lies inside the entry; pixelBytesHeld: the pixel bytes the entry holds.

// The image's indices, width x height; pixels past what a short entry holds read as index 0.
std::vector<uint8_t> readImageIndices(const uint8_t* entry, const TimImage& image,
                                      size_t pixelBytesHeld);
// Palette m's 16 colours as the texture page shows them: each 5-bit channel n as 8 n + 7.
std::vector<TimRgba> readImagePalette(const uint8_t* entry, int m);

// Writes the indices into the pixel bytes the entry holds, and no byte more.
void writeImageIndices(uint8_t* entry, const TimImage& image, size_t pixelBytesHeld,
                       const std::vector<uint8_t>& indices);
// Writes the given colours (at most 16) into palette m with packPalette.
void writeImagePalette(uint8_t* entry, int m, const std::vector<TimRgba>& colours);
// Writes the given colours (at most 16; their alpha is not used) into the 16 palette entries (32
// bytes) at entries: each channel c as round((c - 7) / 8) clamped to 0 .. 31, bit 15 kept from
// what the entry held. Entries past the colours given stay.
void packPalette(uint8_t* entries, const std::vector<TimRgba>& colours);
