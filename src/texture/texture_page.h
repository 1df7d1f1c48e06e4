#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr int kTexturePageSize = 256;

// The one 256 x 256 RGBA texture of the model: every TIM image of the archive is decoded into
// it from row 0, column 0. Pixel (x, y) starts at byte 4 (256 y + x).
class TexturePage {
  public:
    int32_t width = 0;   // pixels per row of the last decoded image
    int32_t height = 0;  // rows of the last decoded image (one palette copy)
    std::array<uint8_t, kTexturePageSize * kTexturePageSize * 4> pixels{};  // transparent black
    int32_t decodedImages = 0;  // images decodeTim accepted whole (warnings allowed)

    // Finds the TIM entries of the archive at path and decodes each. 0, or -1 when the file
    // cannot be opened, has 256 or more entries, or the last image failed. An archive larger
    // than kArchiveSizeLimit is passed over without a line: the skeleton loader reports it.
    int scanArchive(const char* path);
    // The same on an open stream positioned anywhere (it seeks from the start); the stream is
    // left open, so an in-memory archive can be scanned through fmemopen.
    int scanArchive(FILE* file);
    // The same on an archive in memory.
    int scanArchive(const uint8_t* data, size_t size);
    // Decodes one entry of size bytes. 0, or -1 on a header, palette-size or truncation error.
    int decodeTim(const uint8_t* data, size_t size);
};
