#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "scan/archive_plausibility.h"
#include "scan/random_access.h"
#include "tim/tim_format.h"

// What a scan finds in one file's bytes, taken as a container the game packs things into.
// Archives start at 2048-byte boundaries, TIMs at any 4-byte-aligned offset. Items never
// overlap: the scan goes on after each one. An archive's last entry runs to the next item found
// after its start, or to the end; the scan goes on from that last entry's start, and the TIMs
// that are the archive's own texture entries are counted under it, not listed again.
struct ScanItem {
    enum Kind { Archive, Tim };
    Kind kind = Tim;
    uint64_t offset = 0;
    uint64_t size = 0;
    ArchiveShape archive;  // for an archive
    TimInfo tim;           // for a TIM
};

// progress, when given, is called now and then with the bytes done so far. The scan stops once
// maxItems items are found with their sizes settled.
std::vector<ScanItem> scanContainer(const RandomAccess& bytes,
                                    const std::function<void(uint64_t done)>& progress = {},
                                    size_t maxItems = SIZE_MAX);

// The same scan, saying whether it reached the end: a read that fails stops it, and the items
// found before are kept (an archive open at that point runs to the failed read).
struct ContainerScan {
    std::vector<ScanItem> items;
    bool complete = true;
    uint64_t failedAt = 0;  // where the failed read began
};
ContainerScan scanWholeContainer(const RandomAccess& bytes,
                                 const std::function<void(uint64_t done)>& progress = {},
                                 size_t maxItems = SIZE_MAX);
