#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

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
    int32_t decodedImages = 0;  // images decoded whole (warnings allowed)

    // Decodes every image of an archive already read (archive/archive.h): the archive's problems
    // say what is wrong with them.
    void decodeImages(const uint8_t* data, const Archive& archive);
    // Decodes one entry as its check (tim/tim_entry.h) found it.
    void decodeChecked(const BoundedReader& entry, const TimEntryCheck& check);
};
