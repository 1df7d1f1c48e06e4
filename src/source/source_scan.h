#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scan/item_scan.h"
#include "source/source.h"

// What a scan of a source found: every archive and TIM, named so that the name opens it again.

struct FoundItem {
    Source source;  // name() is the member name, usable as an argument
    ScanItem item;  // kind, size, and what it holds; offset within its file
    bool inImage = false;
    uint32_t sector = 0;  // the first sector, for an item inside an image
    std::string
        inside;  // its path inside the source given ("CHR/HERO.BIN", "DATA/PACK.DAT@0x1000")
};

struct SourceScan {
    std::vector<FoundItem> items;
    std::vector<std::string> problems;  // lines about what could not be read (the scan goes on)
    std::string failure;                // set when the source itself cannot be read at all
};

// Called now and then with units done of all (sectors for an image, bytes for a file).
using ScanProgress = std::function<void(uint64_t done, uint64_t total)>;

// Scans path: a disc image (its files, then the sectors no file claims), a folder (walked
// recursively: links not followed, hidden names skipped, natural order), or any other file,
// taken as a container. Items in the stable order: depth-first through the directories, names in
// byte order, items inside one file by offset.
SourceScan scanSource(const std::string& path, const ScanProgress& progress = {});

// The items of one file's bytes: the whole file when it is an archive, else what a container scan
// finds.
std::vector<ScanItem> scanFileBytes(const RandomAccess& bytes,
                                    const std::function<void(uint64_t done)>& progress = {});
