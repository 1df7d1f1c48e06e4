#include "texture_io/archive_images.h"

#include <algorithm>

#include "archive/entry_table.h"
#include "io/bounded_reader.h"
#include "png/indexed_png.h"
#include "texture/texture_page.h"

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

ArchiveImages listArchiveImages(const uint8_t* archive, size_t size) {
    ArchiveImages result;
    const BoundedReader bytes(archive, size);
    const EntryTable table(bytes);
    uint32_t count = 0;
    table.count(count);
    if (count >= kMaxTextureEntries) {
        result.tableError = std::to_string(count) + " entries, the texture scan takes at most " +
                            std::to_string(kMaxTextureEntries - 1);
        return result;
    }
    if (!table.holdsOffsets(count)) {
        result.tableError = "offset table beyond the end of the file";
        return result;
    }
    // The last entry is never an image: its end would come from an entry after it.
    for (uint32_t i = 0; i + 1 < count; ++i) {
        uint32_t start = 0, end = 0, id = 0;
        table.offset(i, start);
        table.offset(i + 1, end);
        if (!bytes.readU32(start, id) || id != TimImage::kId) continue;
        if (end < start || end > size) {
            result.skipped.push_back({i, start, "entry outside the file"});
            continue;
        }
        const BoundedReader entry = bytes.slice(start, end - start);
        ArchiveImage image;
        image.entry = i;
        image.offset = start;
        image.size = end - start;
        uint64_t needed = 0;
        const TimHeaderCheck check = checkTimHeader(entry, image.header, needed);
        if (check != TimHeaderCheck::Accepted) {
            result.skipped.push_back({i, start, headerReason(check)});
            continue;
        }
        if (const char* reason = imageReason(image.header)) {
            result.skipped.push_back({i, start, reason});
            continue;
        }
        image.pixelBytesNeeded = image.header.rowBytes() * static_cast<size_t>(image.header.height);
        image.pixelBytesHeld =
            std::min(image.pixelBytesNeeded, entry.size() - image.header.pixelStart());
        result.images.push_back(image);
    }
    return result;
}
