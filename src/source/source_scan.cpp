#include "source/source_scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "disc/disc_image.h"
#include "disc/iso9660.h"
#include "io/natural_order.h"
#include "scan/file_bytes.h"
#include "source/byte_access.h"

namespace {

constexpr uint64_t kSectorBytes = 2048;
// Folders nest no deeper than this; a deeper tree is a trap, not a game's files.
constexpr int kMaxFolderDepth = 64;

std::string joinPath(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    return a.back() == '/' ? a + b : a + "/" + b;
}

// An item found in one file: named by the file alone when it fills it, else with its offset.
FoundItem itemOf(const ScanItem& item, uint64_t fileSize, Source base, const std::string& inside) {
    FoundItem found;
    found.item = item;
    found.inside = inside;
    if (item.offset != 0 || item.size != fileSize) {
        base.atOffset = true;
        base.offset = item.offset;
        found.inside += offsetSuffix(item.offset);
    }
    found.source = base;
    return found;
}

void scanImage(const std::string& path, SourceScan& scan, const ScanProgress& progress) {
    DiscImage image;
    const Result<> opened = DiscImage::open(path, image);
    if (!opened.ok()) {
        scan.failure = opened.message;
        return;
    }
    IsoVolume volume;
    const Result<> read = readIsoVolume(image, volume);
    if (!read.ok()) {
        scan.failure = read.message;
        return;
    }
    for (const std::string& line : volume.problems) scan.problems.push_back(line);

    const uint64_t total = image.sectorCount();
    uint64_t done = 0;
    const auto report = [&](uint64_t bytes) {
        if (progress) progress(std::min(total, done + bytes / kSectorBytes), total);
    };
    for (const IsoFile& file : volume.entries) {
        if (file.directory || file.form2 || file.size == 0) continue;
        if (file.extent >= image.sectorCount()) continue;  // the volume's problems say so
        const ExtentAccess bytes(image, file.extent, file.size);
        Source base;
        base.kind = Source::Kind::Member;
        base.path = path;
        base.member = file.path;
        for (const ScanItem& item : scanFileBytes(bytes, report)) {
            FoundItem found = itemOf(item, file.size, base, file.path);
            found.inImage = true;
            found.sector = static_cast<uint32_t>(file.extent + item.offset / kSectorBytes);
            scan.items.push_back(std::move(found));
        }
        done += file.sectors();
        report(0);
    }
    // Some discs list only their boot files: what lies in the sectors no file claims is found
    // too, named by its offset in the image's user data.
    uint32_t sector = 0;
    while (sector < image.sectorCount()) {
        const auto claimed = [&](uint32_t s) { return s < volume.used.size() && volume.used[s]; };
        if (claimed(sector)) {
            ++sector;
            continue;
        }
        uint32_t end = sector;
        while (end < image.sectorCount() && !claimed(end)) ++end;
        const ExtentAccess bytes(image, sector, uint64_t{end - sector} * kSectorBytes);
        Source base;
        base.kind = Source::Kind::Member;
        base.path = path;
        for (const ScanItem& item : scanContainer(bytes, report)) {
            FoundItem found;
            found.item = item;
            found.inImage = true;
            found.sector = static_cast<uint32_t>(sector + item.offset / kSectorBytes);
            found.source = base;
            found.source.atOffset = true;
            found.source.offset = uint64_t{sector} * kSectorBytes + item.offset;
            found.inside = offsetSuffix(found.source.offset);
            scan.items.push_back(std::move(found));
        }
        done += end - sector;
        report(0);
        sector = end;
    }
}

void scanPlainFile(const std::string& path, const std::string& inside, SourceScan& scan,
                   const ScanProgress& progress) {
    FileBytes bytes;
    const Result<> opened = bytes.open(path);
    if (!opened) {
        scan.failure = path + ": " + opened.message;
        return;
    }
    const uint64_t total = bytes.size();
    const auto report = [&](uint64_t done) {
        if (progress) progress(done, total);
    };
    for (const ScanItem& item : scanFileBytes(bytes, report)) {
        scan.items.push_back(itemOf(item, bytes.size(), Source::file(path), inside));
    }
}

void scanPath(const std::string& path, const std::string& inside, SourceScan& scan,
              const ScanProgress& progress);

void scanFolder(const std::string& folder, const std::string& inside, int depth, SourceScan& scan,
                const ScanProgress& progress) {
    if (depth > kMaxFolderDepth) {
        scan.problems.push_back(folder + ": folders nest too deep: not walked");
        return;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        const std::string line = folder + ": " + std::strerror(errno);
        if (depth == 0) {
            scan.failure = line;
        } else {
            scan.problems.push_back(line);
        }
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;  // hidden, and . and ..
        names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), naturalLess);
    // The track files of a sheet in this folder are read through the sheet, not again alone.
    std::set<std::string> tracks;
    for (const std::string& name : names) {
        const std::string path = joinPath(folder, name);
        if (recogniseImage(path).form != ImageForm::CueSheet) continue;
        DiscImage image;
        if (!DiscImage::open(path, image).ok()) continue;
        for (const std::string& input : image.inputFiles()) {
            if (input != path) tracks.insert(input);
        }
    }
    for (const std::string& name : names) {
        const std::string path = joinPath(folder, name);
        if (tracks.count(path)) continue;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode)) {
            scanFolder(path, joinPath(inside, name), depth + 1, scan, progress);
        } else if (S_ISREG(info.st_mode)) {
            SourceScan one;
            scanPath(path, joinPath(inside, name), one, progress);
            if (!one.failure.empty()) scan.problems.push_back(one.failure);
            for (std::string& line : one.problems) scan.problems.push_back(std::move(line));
            for (FoundItem& item : one.items) scan.items.push_back(std::move(item));
        }
        // Links and devices are not followed.
    }
}

void scanPath(const std::string& path, const std::string& inside, SourceScan& scan,
              const ScanProgress& progress) {
    const ImageRecognition recognised = recogniseImage(path);
    if (!recognised.notReadYet.empty()) {
        scan.failure = recognised.notReadYet;
        return;
    }
    if (recognised.image) {
        const size_t before = scan.items.size();
        scanImage(path, scan, progress);
        for (size_t k = before; k < scan.items.size(); ++k) {
            scan.items[k].inside = joinPath(inside, scan.items[k].inside);
        }
        return;
    }
    scanPlainFile(path, inside, scan, progress);
}

std::string lastPart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<ScanItem> scanFileBytes(const RandomAccess& bytes,
                                    const std::function<void(uint64_t done)>& progress) {
    ArchiveShape shape;
    if (plausibleArchive(bytes, 0, bytes.size(), shape)) {
        ScanItem whole;
        whole.kind = ScanItem::Archive;
        whole.size = bytes.size();
        whole.archive = shape;
        if (progress) progress(bytes.size());
        return {whole};
    }
    return scanContainer(bytes, progress);
}

SourceScan scanSource(const std::string& path, const ScanProgress& progress) {
    SourceScan scan;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        scan.failure = path + ": " + std::strerror(errno);
        return scan;
    }
    if (S_ISDIR(info.st_mode)) {
        scanFolder(path, "", 0, scan, progress);
        return scan;
    }
    if (!S_ISREG(info.st_mode)) {
        scan.failure = path + ": not a regular file";
        return scan;
    }
    const ImageRecognition recognised = recogniseImage(path);
    if (recognised.image || !recognised.notReadYet.empty()) {
        scanPath(path, "", scan, progress);
        return scan;
    }
    scanPlainFile(path, lastPart(path), scan, progress);
    return scan;
}
