#include "source/archive_sources.h"

#include <sys/stat.h>

#include "disc/disc_image.h"
#include "disc/iso9660.h"
#include "source/byte_access.h"
#include "source/source_scan.h"

namespace {

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<Source> archivesIn(const SourceScan& scan) {
    std::vector<Source> sources;
    for (const FoundItem& found : scan.items) {
        if (found.item.kind == ScanItem::Archive) sources.push_back(found.source);
    }
    return sources;
}

// The archives at offsets inside a member that is a container; empty when it is one archive, or
// holds none, or cannot be read (opening it then says why).
std::vector<Source> archivesInMember(const Source& member) {
    DiscImage image;
    IsoVolume volume;
    if (!DiscImage::open(member.path, image).ok() || !readIsoVolume(image, volume).ok()) return {};
    const IsoFile* file = volume.find(member.member);
    if (!file || file->directory || file->form2 || file->multiExtent) return {};
    const ExtentAccess bytes(image, file->extent, file->size);
    std::vector<Source> sources;
    for (const ScanItem& item : scanFileBytes(bytes)) {
        if (item.kind != ScanItem::Archive) continue;
        if (item.offset == 0 && item.size == file->size) return {};
        Source at = member;
        at.member = file->path;
        at.atOffset = true;
        at.offset = item.offset;
        sources.push_back(at);
    }
    return sources;
}

}  // namespace

bool isDiscImage(const std::string& path) {
    return isRegularFile(path) && recogniseImage(path).image;
}

std::string fileToFollow(const Source& source) {
    const std::string file = fileOnDisk(source);
    if (file.empty() || source.kind != Source::Kind::Member) return file;
    DiscImage image;
    if (!DiscImage::open(file, image).ok() || image.form() != ImageForm::CueSheet) return file;
    return image.trackPath();
}

ArchiveSources archivesOf(const Source& source) {
    ArchiveSources result;
    if (source.kind == Source::Kind::Member && !source.atOffset && !source.member.empty()) {
        result.sources = archivesInMember(source);
        if (result.sources.empty()) result.sources.push_back(source);
        return result;
    }
    if (source.kind != Source::Kind::File || source.atOffset || !isRegularFile(source.path)) {
        result.sources.push_back(source);
        return result;
    }
    const ImageRecognition recognised = recogniseImage(source.path);
    if (!recognised.notReadYet.empty()) {
        result.failure = recognised.notReadYet;
        return result;
    }
    const SourceScan scan = scanSource(source.path);
    if (recognised.image) {
        if (!scan.failure.empty()) {
            result.failure = scan.failure;
            return result;
        }
        result.sources = archivesIn(scan);
        if (result.sources.empty()) result.failure = source.name() + ": no archive found";
        return result;
    }
    // A plain file: one archive as a whole, archives at offsets, or, when nothing is found,
    // itself, for the loaders to say what is wrong with it.
    result.sources = archivesIn(scan);
    if (result.sources.empty()) result.sources.push_back(source);
    return result;
}
