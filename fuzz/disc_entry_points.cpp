// The disc entry points: an image file opened and its volume read, and a CUE sheet's text.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "disc/cue_sheet.h"
#include "disc/disc_image.h"
#include "disc/iso9660.h"
#include "entry_points.h"

namespace fuzz_entry {
namespace {

// A private folder for the run, holding the input as a file and one track file a sheet may name
// ("disc.bin"); removed when the process ends.
const std::string& scratchFolder() {
    // Never destroyed: the exit handler that removes the folder runs after static destructors.
    static const std::string* folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base ? base : "/tmp") + "/fuzz_disc_XXXXXX";
        check(::mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
        std::ofstream(pattern + "/disc.bin", std::ios::binary) << std::string(2352 * 20, '\0');
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(*folder, ignored);
        });
        return new std::string(pattern);
    }();
    return *folder;
}

bool safePath(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.back() == '/') return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

int discImage(const uint8_t* data, size_t size) {
    const std::string path = scratchFolder() + "/image";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    DiscImage image;
    if (!DiscImage::open(path, image).ok()) return 0;
    check(image.sectorCount() > 0, "an image opened without a whole sector");
    IsoVolume volume;
    if (!readIsoVolume(image, volume).ok()) return 0;
    check(volume.used.size() <= image.sectorCount(), "used marks past the image");
    for (const IsoFile& entry : volume.entries) {
        check(safePath(entry.path), "an entry path that leaves the volume");
        check(entry.size == 0 || uint64_t{entry.extent} + entry.sectors() <= image.sectorCount(),
              "an entry extent past the image");
        check(!entry.records.empty(), "an entry without its record");
    }
    return 0;
}

int cueSheet(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CueSheet sheet;
    if (!parseCueSheet(text, scratchFolder() + "/sheet.cue", sheet).ok()) return 0;
    check(!sheet.tracks.empty(), "a sheet without tracks parsed");
    for (const CueTrack& track : sheet.tracks) {
        check(track.file < sheet.files.size(), "a track of no file");
    }
    // Written again with the same names, the sheet reads the same.
    std::vector<std::string> names;
    names.assign(sheet.files.size(), "disc.bin");
    CueSheet again;
    check(parseCueSheet(rewriteCueSheet(sheet, names), scratchFolder() + "/sheet.cue", again).ok(),
          "a rewritten sheet does not parse");
    check(again.tracks.size() == sheet.tracks.size() && again.files.size() == sheet.files.size(),
          "a rewritten sheet lost tracks");
    return 0;
}

}  // namespace fuzz_entry
