#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "archive/page_size.h"

struct Archive;
struct TimEntryCheck;
class BoundedReader;

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
    // The same on an open stream positioned anywhere (it reads from the start); the stream is
    // left open.
    int scanArchive(FILE* file);
    // The same on an archive in memory.
    int scanArchive(const uint8_t* data, size_t size);
    // Decodes one entry of size bytes. 0, or -1 on a header, palette-size or truncation error.
    int decodeTim(const uint8_t* data, size_t size);

    // Decodes every image of an archive already read, without a line: the archive's problems
    // say what the decoder would print.
    void decodeImages(const uint8_t* data, const Archive& archive);
    // Decodes one entry as its check found it, without a line.
    void decodeChecked(const BoundedReader& entry, const TimEntryCheck& check);
};
