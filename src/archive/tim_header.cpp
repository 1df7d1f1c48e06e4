#include "archive/tim_image.h"
#include "io/bounded_reader.h"

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

    uint8_t paletteCount = 0;
    if (!entry.readU8(TimImage::kPaletteCountOffset, paletteCount)) {
        needed = TimImage::kPalettesOffset;
        return TimHeaderCheck::Truncated;
    }
    image.paletteCount = paletteCount;
    image.imageStart = TimImage::kPalettesOffset + TimImage::kPaletteBytes * paletteCount;
    uint16_t widthUnits = 0, rows = 0;
    if (!entry.readU16(image.imageStart + TimImage::kImageWidthOffset, widthUnits) ||
        !entry.readU16(image.imageStart + TimImage::kImageHeightOffset, rows)) {
        needed = image.pixelStart();
        return TimHeaderCheck::Truncated;
    }
    image.width = TimImage::kPixelsPerWidthUnit * widthUnits;
    image.height = rows;
    return TimHeaderCheck::Accepted;
}
