#include "texture_io/archive_images.h"

#include <algorithm>

#include "archive/archive.h"
#include "png/indexed_png.h"

namespace {

const char* headerReason(TimHeaderCheck check) {
    switch (check) {
        case TimHeaderCheck::Truncated:
            return "fewer bytes than the header needs";
        case TimHeaderCheck::BadHeader:
            return "header error";
        case TimHeaderCheck::BadPaletteSize:
            return "palette size";
        case TimHeaderCheck::Accepted:
            break;
    }
    return "";
}

// Why an accepted header still gives no texture file, or nullptr.
const char* imageReason(const TimImage& header) {
    if (header.paletteCount == 0) return "no palette";
    if (header.width == 0 || header.height == 0) return "no pixel";
    if (header.width > kMaxPngWidth || header.height > kMaxPngHeight) {
        return "larger than 1024 x 512";
    }
    return nullptr;
}

}  // namespace

const ArchiveImage* ArchiveImages::find(uint32_t entry) const {
    for (const ArchiveImage& image : images) {
        if (image.entry == entry) return &image;
    }
    return nullptr;
}

Result<ArchiveImages> listArchiveImages(const uint8_t* archive, size_t size) {
    const Archive parsed = parseArchive(archive, size);
    if (parsed.declaredEntries >= kMaxTextureEntries) {
        return Failure{1, std::to_string(parsed.declaredEntries) +
                              " entries, the texture scan takes at most " +
                              std::to_string(kMaxTextureEntries - 1)};
    }
    if (!parsed.imageTableAccepted) return Failure{1, "offset table beyond the end of the file"};
    ArchiveImages result;
    for (const ImageEntry& found : parsed.images) {
        if (!found.inside) {
            result.skipped.push_back({found.entry, found.start, "entry outside the file"});
            continue;
        }
        if (found.check.header != TimHeaderCheck::Accepted) {
            result.skipped.push_back({found.entry, found.start, headerReason(found.check.header)});
            continue;
        }
        if (const char* reason = imageReason(found.check.image)) {
            result.skipped.push_back({found.entry, found.start, reason});
            continue;
        }
        ArchiveImage image;
        image.entry = found.entry;
        image.offset = found.start;
        image.size = static_cast<uint32_t>(found.end - found.start);
        image.header = found.check.image;
        image.pixelBytesNeeded = image.header.rowBytes() * static_cast<size_t>(image.header.height);
        image.pixelBytesHeld =
            std::min(image.pixelBytesNeeded, image.size - image.header.pixelStart());
        result.images.push_back(image);
    }
    return result;
}
