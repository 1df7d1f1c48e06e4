#include "tim/tim_image.h"

#include "io/bounded_reader.h"

bool readTimPaletteCount(const BoundedReader& entry, TimImage& image) {
    uint8_t paletteCount = 0;
    if (!entry.readU8(TimImage::kPaletteCountOffset, paletteCount)) return false;
    image.paletteCount = paletteCount;
    image.imageStart = TimImage::paletteStart(paletteCount);
    return true;
}

bool readTimImageSize(const BoundedReader& entry, TimImage& image) {
    uint16_t widthUnits = 0, rows = 0;
    if (!entry.readU16(image.imageStart + TimImage::kImageWidthOffset, widthUnits) ||
        !entry.readU16(image.imageStart + TimImage::kImageHeightOffset, rows)) {
        return false;
    }
    image.width = TimImage::kPixelsPerWidthUnit * widthUnits;
    image.height = rows;
    return true;
}

TimHeaderCheck checkTimHeader(const BoundedReader& entry, TimImage& image, uint64_t& needed) {
    uint32_t id = 0, flags = 0;
    if (!entry.readU32(TimImage::kIdOffset, id) || !entry.readU32(TimImage::kFlagsOffset, flags)) {
        needed = TimImage::kFlagsOffset + 4;
        return TimHeaderCheck::Truncated;
    }
    if (id != TimImage::kId || flags != TimImage::kFlags4BitClut) return TimHeaderCheck::BadHeader;

    if (!entry.readU32(TimImage::kClutLengthOffset, image.clutLength)) {
        needed = TimImage::kClutLengthOffset + 4;
        return TimHeaderCheck::Truncated;
    }
    if (image.clutLength < TimImage::kMinClutLength ||
        image.clutLength > TimImage::kMaxClutLength) {
        return TimHeaderCheck::BadPaletteSize;
    }
    if (!readTimPaletteCount(entry, image)) {
        needed = TimImage::kPalettesOffset;
        return TimHeaderCheck::Truncated;
    }
    if (!readTimImageSize(entry, image)) {
        needed = image.pixelStart();
        return TimHeaderCheck::Truncated;
    }
    return TimHeaderCheck::Accepted;
}
