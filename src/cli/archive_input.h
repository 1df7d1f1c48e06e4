#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/document.h"
#include "io/result.h"
#include "source/source.h"

// An archive argument names a source (source/source.h): a path, "-" for standard input (a pipe
// or a FIFO works as a path), "" for the built-in demo model, a member of a disc image
// ("game.cue/CHR/HERO.BIN") or an item at an offset ("pack.dat@0x1a44").

// The archives the arguments stand for, in order: a disc image or a container stands for every
// archive found in it; the demo when no argument is given. An argument that cannot be read or
// holds no archive gets its line on the console and sets failed.
struct ArchiveList {
    std::vector<Source> sources;
    bool failed = false;
};
ArchiveList archiveSources(const std::vector<std::string>& arguments);
// The one archive of a mode that takes one: the first an argument stands for. false, with its
// line printed, when it stands for none.
bool singleArchiveSource(const std::string& argument, Source& source);

// Reads the archive once, bounded by kArchiveSizeLimit, into bytes. false with one line
// "NAME: what is wrong".
bool readArchiveInput(const Source& source, std::vector<uint8_t>& bytes);

// Prints the lines the texture loader and the skeleton loader give for the document's archive,
// in their order.
void printLoaderLines(const Document& document);

// Reads the archive once and builds its document, as the viewer loads; unless quiet, prints the
// demo's line "No archive given: showing the built-in demo model" and the loaders' lines. A source
// that cannot be read fails, with its one line "NAME: what is wrong" printed.
Result<Document> loadArchive(const Source& source, bool quiet);
// loadArchive for a mode that needs bones: an archive without one fails with the line
// "ARCHIVE: no bone to PURPOSE", printed.
Result<Document> loadArchiveWithBones(const Source& source, bool quiet, const char* purpose);
