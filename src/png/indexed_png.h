#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"

// One palette image as the texture files carry it: a palette index per pixel, row-major, and
// the palette's colours.
struct IndexedImage {
    struct Colour {
        uint8_t red = 0, green = 0, blue = 0;
        bool operator==(const Colour& other) const {
            return red == other.red && green == other.green && blue == other.blue;
        }
    };

    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;  // width * height
    std::vector<Colour> palette;   // what the file's PLTE holds; index k is colour k
};

// The largest PNG read back: the console's frame buffer.
constexpr int kMaxPngWidth = 1024;
constexpr int kMaxPngHeight = 512;
// A texture file larger than this is not one of ours; it is refused before it is decoded.
constexpr size_t kMaxPngFileBytes = size_t{16} << 20;

// Writes image as a PNG of colour type 3 and bit depth 4 with its palette (at most 16 colours)
// and a tRNS chunk that makes index 0 transparent and the others opaque. Rows are stored
// unfiltered. Fails with libpng's reason.
Result<> encodeIndexedPng(const IndexedImage& image, std::vector<uint8_t>& png);

// Reads an indexed PNG of bit depth 1, 2, 4 or 8 with at most 16 palette entries and indices
// below 16, whose size is width x height. Fails with the reason, as one phrase without the
// file's name ("not a PNG", "not an indexed PNG", ...). Nothing is allocated for
// the pixels before the header has passed.
Result<> decodeIndexedPng(const uint8_t* data, size_t size, int width, int height,
                          IndexedImage& image);

// Writes image as a PNG of colour type 3 and bit depth bitDepth (4: at most 16 colours, 8: at
// most 256) with a tRNS chunk of alphas, one per palette entry from index 0 (no chunk when
// empty; entries past them opaque). Fails when the image does not fit or libpng fails.
Result<> encodeIndexedPngWithAlphas(const IndexedImage& image, int bitDepth,
                                    const std::vector<uint8_t>& alphas, std::vector<uint8_t>& png);

// Reads an indexed PNG of any bit depth with at most maxColours (1 .. 256) palette entries and
// indices below maxColours, whose size is width x height (any size: the caller names it).
// alphas gets one alpha per palette entry (255 where the tRNS chunk has none); no alpha is
// refused here. Errors as decodeIndexedPng.
Result<> decodeIndexedPngWithAlphas(const uint8_t* data, size_t size, int width, int height,
                                    int maxColours, IndexedImage& image,
                                    std::vector<uint8_t>& alphas);
