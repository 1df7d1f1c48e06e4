#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_problem.h"

struct Document;

// What an archive holds and what the loaders made of it: the facts behind --info.
struct ArchiveReport {
    struct Entry {
        uint32_t index = 0;
        uint32_t offset = 0;
        std::optional<uint64_t> size;   // to the next offset (or the file's end); none when that
                                        // lies before this offset or beyond the file
        std::vector<std::string> uses;  // "skeleton section", "angle table", "TIM image", "other"
    };
    struct PolygonCounts {
        size_t texturedTriangles = 0, texturedQuads = 0, shadedTriangles = 0, shadedQuads = 0;
    };
    struct Bone {
        int32_t id = 0;
        uint16_t parent = 0;
        int16_t length = 0;
        int16_t angleRaw = 0;
        float angleRadians = 0;
        uint32_t meshOffset = 0;
        PolygonCounts polygons;
        bool inTree = false;  // false: the parent is missing or comes later, so it is never drawn
    };
    struct Overwrite {
        uint32_t entry = 0;  // the earlier image
        size_t pixels = 0;   // how many of its page pixels this image replaced
    };
    struct Texture {
        uint32_t entry = 0;
        uint32_t offset = 0;
        bool decoded = false;                        // the decoder accepted it (warnings allowed)
        std::optional<int> width, height, palettes;  // as far as the header could be read
        int pageRows = 0, pageColumns = 0;           // the page rectangle from (0, 0) that it wrote
        std::vector<Overwrite> overwrites;
    };

    std::string archive;  // the path, empty for the built-in demo model
    uint64_t fileSize = 0;
    uint32_t declaredEntries = 0;  // N as the file states it
    std::vector<Entry> entries;    // those whose offset word lies inside the file
    std::vector<Bone> bones;       // as the loader made them
    std::vector<Texture> textures;
    std::vector<std::string> problems;        // the loaders' lines other than progress, in order,
                                              // without line ends
    std::vector<ArchiveProblem> diagnostics;  // the same problems as data
};

// Describes the document's bytes together with what loading them gave.
ArchiveReport describeArchive(const Document& document);
