#include "source/item_reading.h"

#include <cerrno>
#include <cstring>

#include "disc/disc_image.h"
#include "disc/iso9660.h"
#include "scan/file_bytes.h"
#include "source/byte_access.h"

struct ItemReader::OpenImage {
    std::string path;
    DiscImage image;
    IsoVolume volume;
};

ItemReader::ItemReader() = default;
ItemReader::~ItemReader() = default;

Result<> ItemReader::read(const FoundItem& found, std::vector<uint8_t>& bytes) {
    const Source& source = found.source;
    const std::string name = source.name();
    const uint64_t size = found.item.size;
    bytes.assign(static_cast<size_t>(size), 0);
    if (source.kind == Source::Kind::File) {
        FileBytes file;
        const Result<> opened = file.open(source.path);
        if (!opened) return Result<>::failed(1, name + ": " + opened.message);
        if (!file.read(found.item.offset, bytes.size(), bytes.data())) {
            return Result<>::failed(1, name + ": cannot be read");
        }
        return {};
    }
    if (!image_ || image_->path != source.path) {
        auto open = std::make_unique<OpenImage>();
        open->path = source.path;
        Result<> opened = DiscImage::open(source.path, open->image);
        if (opened.ok()) opened = readIsoVolume(open->image, open->volume);
        if (!opened.ok()) return opened;
        image_ = std::move(open);
    }
    // Whole files and items inside them start at their file's extent; items in sectors no file
    // claims at their own sector.
    uint32_t first = found.sector;
    uint64_t offset = 0;
    if (!source.member.empty()) {
        const IsoFile* file = image_->volume.find(source.member);
        if (!file) return Result<>::failed(1, name + ": not on the disc");
        first = file->extent;
        offset = found.item.offset;
    } else {
        offset = source.offset - uint64_t{found.sector} * 2048;
    }
    const ExtentAccess extent(image_->image, first, offset + size);
    if (!extent.read(offset, bytes.size(), bytes.data())) {
        return Result<>::failed(1, name + ": its sectors cannot be read");
    }
    return {};
}
