#pragma once

#include <cstdint>
#include <vector>

#include "archive/archive.h"
#include "inspect/archive_comparison.h"

// One image in A against the image of the same entry in B, as the decoder reads each: the
// header words, the colours of the palettes the header counts, the pixels of the rows the entry
// holds.
TextureComparison compareImages(const ImageEntry& a, const std::vector<uint8_t>& bytesA,
                                const ImageEntry& b, const std::vector<uint8_t>& bytesB);

inline bool differs(const TextureComparison& t) {
    return t.only != OnlyIn::Neither || t.headerChanged || t.paletteColoursChanged > 0 ||
           t.pixelsChanged > 0;
}
