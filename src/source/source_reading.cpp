#include "source/source_reading.h"

#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "demo/demo_archive.h"
#include "disc/disc_image.h"
#include "disc/iso9660.h"
#include "io/file_reading.h"
#include "io/formatted.h"
#include "scan/file_bytes.h"
#include "scan/item_scan.h"
#include "source/byte_access.h"
#include "source/source_scan.h"

namespace {

constexpr uint64_t kSectorBytes = 2048;

Result<> failed(const Source& source, const std::string& why, int code = kSourceFailed) {
    return Result<>::failed(code, source.name() + ": " + why);
}

std::string tooLarge() {
    return formatted("more than the %" PRIu64 " bytes a model archive may have: not read",
                     kArchiveSizeLimit);
}

Result<> fromStream(const Source& source, FILE* stream, std::vector<uint8_t>& bytes) {
    ArchiveRead read = readArchiveStream(stream);
    switch (read.outcome) {
        case ArchiveRead::Read:
            bytes = std::move(read.bytes);
            return {};
        case ArchiveRead::TooLarge:
        case ArchiveRead::RunsPast:
            return failed(source, tooLarge());
        case ArchiveRead::Failed:
            break;
    }
    return failed(source, std::strerror(read.error));
}

// The item found at offset of bytes (whatever lies before it), as a scan from there finds it.
Result<> itemAt(const Source& source, const RandomAccess& whole, uint64_t offset,
                std::vector<uint8_t>& bytes) {
    if (offset >= whole.size()) return failed(source, "the offset lies past the end");
    const SliceAccess rest(whole, offset, whole.size() - offset);
    const std::vector<ScanItem> items = scanContainer(rest, {}, 1);
    if (items.empty() || items.front().offset != 0) {
        return failed(source, formatted("nothing found at 0x%" PRIx64, offset));
    }
    const uint64_t size = items.front().size;
    if (size > kArchiveSizeLimit) return failed(source, tooLarge());
    bytes.resize(static_cast<size_t>(size));
    if (!rest.read(0, bytes.size(), bytes.data())) {
        bytes.clear();
        return failed(source, "cannot be read");
    }
    return {};
}

Result<> fromFile(const Source& source, std::vector<uint8_t>& bytes) {
    struct stat info {};
    if (::stat(source.path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return failed(source, std::strerror(EISDIR));
    }
    if (source.atOffset) {
        FileBytes file;
        const Result<> opened = file.open(source.path);
        if (!opened) return failed(source, opened.message);
        return itemAt(source, file, source.offset, bytes);
    }
    FILE* file = std::fopen(source.path.c_str(), "rb");
    if (!file) return failed(source, std::strerror(errno), kSourceUnopened);
    const Result<> read = fromStream(source, file, bytes);
    std::fclose(file);
    return read;
}

Result<> fromImage(const Source& source, std::vector<uint8_t>& bytes) {
    DiscImage image;
    const Result<> opened = DiscImage::open(source.path, image);
    if (!opened.ok()) return Result<>::failed(kSourceFailed, opened.message);
    IsoVolume volume;
    const Result<> read = readIsoVolume(image, volume);
    if (!read.ok()) return Result<>::failed(kSourceFailed, read.message);

    if (source.member.empty()) {
        // An item in sectors no file claims: the run of unclaimed sectors it lies in.
        const uint64_t sector = source.offset / kSectorBytes;
        const auto claimed = [&](uint64_t s) { return s < volume.used.size() && volume.used[s]; };
        if (sector >= image.sectorCount() || claimed(sector)) {
            return failed(source, "no item lies in the sectors no file claims there");
        }
        uint64_t first = sector;
        while (first > 0 && !claimed(first - 1)) --first;
        uint64_t end = sector;
        while (end < image.sectorCount() && !claimed(end)) ++end;
        const ExtentAccess run(image, static_cast<uint32_t>(first), (end - first) * kSectorBytes);
        return itemAt(source, run, source.offset - first * kSectorBytes, bytes);
    }
    const IsoFile* file = volume.find(source.member);
    if (!file) return failed(source, "not on the disc");
    if (file->directory) return failed(source, "a folder, not a file");
    if (file->form2) return failed(source, "made of Form 2 sectors (audio or video), not data");
    if (file->multiExtent) return failed(source, "spans several extents: not read");
    if (uint64_t{file->extent} + file->sectors() > image.sectorCount()) {
        return failed(source, "its sectors run past the end of the image");
    }
    const ExtentAccess extent(image, file->extent, file->size);
    if (source.atOffset) return itemAt(source, extent, source.offset, bytes);
    if (file->size > kArchiveSizeLimit) return failed(source, tooLarge());
    bytes.resize(file->size);
    if (!extent.read(0, bytes.size(), bytes.data())) {
        bytes.clear();
        return failed(source, "its sectors cannot be read");
    }
    return {};
}

}  // namespace

bool looksLikeImage(const std::vector<uint8_t>& bytes) {
    ImageForm form;
    return recogniseImageBytes(bytes, bytes.size(), form);
}

Result<> readSource(const Source& source, std::vector<uint8_t>& bytes) {
    bytes.clear();
    switch (source.kind) {
        case Source::Kind::Demo:
            bytes.assign(demoArchiveData(), demoArchiveData() + demoArchiveSize());
            return {};
        case Source::Kind::StandardInput: {
            const Result<> read = fromStream(source, stdin, bytes);
            if (read.ok() && looksLikeImage(bytes)) {
                bytes.clear();
                return failed(source,
                              "a disc image cannot be read from standard input (its directories "
                              "point backwards): give its file");
            }
            return read;
        }
        case Source::Kind::File:
            return fromFile(source, bytes);
        case Source::Kind::Member:
            break;
    }
    return fromImage(source, bytes);
}
