#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disc/disc_image.h"
#include "io/result.h"

// The ISO 9660 file system of an image's first data track: the primary volume descriptor, the
// directories (each over as many sectors as its size says), plain ISO 9660 names. Every count,
// extent and size is checked against the volume: a directory that loops back to a parent, an
// extent past the image, a 4 GB size or a name holding '/' or ".." gives a problem line and is
// passed over (not in entries; what the image holds of its extent is still marked used), never
// a crash or a hang. The root directory is no entry. Bounds: 64 levels of directories,
// 1,000,000 entries, 2,000,000 records, 4 MiB a directory, 1000 problem lines.

// Where one directory record lies: its sector and its offset in that sector's user data.
struct RecordPlace {
    uint32_t sector = 0;
    uint32_t offset = 0;
};

struct IsoFile {
    std::string path;     // "CHR/HERO.BIN": ";N" and a trailing dot taken off, '/' between
    uint32_t extent = 0;  // first sector
    uint32_t size = 0;    // bytes, as the record states
    bool directory = false;
    bool form2 = false;        // XA attributes or its first sector's subheader say Mode 2 Form 2
    bool multiExtent = false;  // its record has the multi-extent flag, or the same name recurs
    std::vector<RecordPlace> records;  // every record naming this extent ("." of a directory too)

    uint32_t sectors() const { return static_cast<uint32_t>((uint64_t{size} + 2047) / 2048); }
};

struct IsoVolume {
    uint32_t volumeSectors = 0;  // the descriptor's volume space size
    uint32_t logicalBlockSize = 2048;
    std::vector<IsoFile> entries;  // directories and files, depth-first, names in byte order
    // Sectors something uses: the system area (0-15), the descriptors up to the terminator, both
    // path tables (both byte orders), every directory and every file extent.
    std::vector<bool> used;             // volumeSectors long (at most the image's sectors)
    std::vector<std::string> problems;  // one line each, as they were met, "IMAGE: ..."

    // The entry whose path matches name without regard to letter case, or nullptr.
    const IsoFile* find(const std::string& name) const;
};

// Reads the volume of image. Fails when there is no primary volume descriptor; every other
// problem is a line in problems, and what can be read still is.
Result<> readIsoVolume(const DiscImage& image, IsoVolume& out);
