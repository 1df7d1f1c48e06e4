#pragma once

#include <string>
#include <vector>

#include "document/document.h"
#include "io/result.h"

// What opening an archive argument gave: the document, or the failure that left none, and the
// lines the viewer prints for it, held back for the caller to print or drop.
struct OpenedArchive {
    // The argument that names what was loaded ("" for the demo), which the walk, the reload and
    // the panel's name line go on from.
    std::string shown;
    bool demo = false;  // the built-in demo model, no archive given
    Result<Document> document = Failure{};
    // In order, each with its line end: the demo's notice, the loaders' lines, or what kept the
    // archive from being read.
    std::vector<std::string> lines;
};

// Opens the archive an argument names (a file, a member of a disc image, an item at an offset;
// a disc image or a container shows the first archive found in it), or the built-in demo model
// for nullptr, reading it once. A file on disk that cannot be read gets the loaders' own lines.
// stepping: the argument is one step of a walk, already a file or a member of an image, and is
// loaded as it is named: never scanned for the archives it may hold.
OpenedArchive openArchive(const char* argument, bool stepping = false);
