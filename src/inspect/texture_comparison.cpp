#include "inspect/texture_comparison.h"

#include <algorithm>

#include "io/bounded_reader.h"
#include "tim/tim_image.h"

namespace {

struct ImageView {
    BoundedReader entry;
    const TimEntryCheck* check = nullptr;

    bool accepted() const { return check && check->header == TimHeaderCheck::Accepted; }
    size_t colourCount() const {
        return accepted() ? TimImage::kPaletteEntries * check->image.paletteCount : 0;
    }
    size_t width() const { return accepted() ? static_cast<size_t>(check->image.width) : 0; }
    size_t rows() const { return accepted() ? check->rowsHeld : 0; }
    uint16_t colour(size_t i) const {
        uint16_t value = 0;
        entry.readU16(TimImage::paletteStart(0) + 2 * i, value);
        return value;
    }
    uint8_t pixel(size_t x, size_t y) const {
        uint8_t pair = 0;
        entry.readU8(check->image.pixelStart() + y * check->image.rowBytes() + x / 2, pair);
        return x % 2 == 0 ? pair & 0x0Fu : pair >> 4u;
    }
    // The words the decoder takes its layout from: up to the first palette, and the image
    // block's header.
    std::vector<uint8_t> header() const {
        std::vector<uint8_t> bytes;
        auto take = [&](size_t from, size_t length) {
            for (size_t k = 0; k < length; ++k) {
                uint8_t byte = 0;
                if (!entry.readU8(from + k, byte)) return;
                bytes.push_back(byte);
            }
        };
        take(0, TimImage::kPalettesOffset);
        if (accepted()) take(check->image.imageStart, TimImage::kImageHeaderBytes);
        return bytes;
    }
};

ImageView viewOf(const ImageEntry& image, const std::vector<uint8_t>& bytes) {
    if (!image.inside) return {};
    const BoundedReader archive(bytes.data(), bytes.size());
    return {archive.slice(image.start, image.end - image.start), &image.check};
}

size_t changedColours(const ImageView& a, const ImageView& b) {
    const size_t common = std::min(a.colourCount(), b.colourCount());
    size_t changed = std::max(a.colourCount(), b.colourCount()) - common;
    for (size_t i = 0; i < common; ++i) changed += a.colour(i) != b.colour(i) ? 1 : 0;
    return changed;
}

size_t changedPixels(const ImageView& a, const ImageView& b) {
    const size_t width = std::min(a.width(), b.width()), rows = std::min(a.rows(), b.rows());
    size_t changed = a.width() * a.rows() + b.width() * b.rows() - 2 * width * rows;
    for (size_t y = 0; y < rows; ++y) {
        for (size_t x = 0; x < width; ++x) changed += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    }
    return changed;
}

}  // namespace

TextureComparison compareImages(const ImageEntry& a, const std::vector<uint8_t>& bytesA,
                                const ImageEntry& b, const std::vector<uint8_t>& bytesB) {
    const ImageView viewA = viewOf(a, bytesA), viewB = viewOf(b, bytesB);
    TextureComparison out;
    out.entry = a.entry;
    const bool sameCheck = (viewA.check ? viewA.check->header : TimHeaderCheck::Truncated) ==
                           (viewB.check ? viewB.check->header : TimHeaderCheck::Truncated);
    out.headerChanged = a.inside != b.inside || !sameCheck || viewA.header() != viewB.header();
    out.paletteColoursChanged = changedColours(viewA, viewB);
    out.pixelsChanged = changedPixels(viewA, viewB);
    return out;
}
