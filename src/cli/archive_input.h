#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/model_loading.h"
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

// One archive loaded for a mode: the bytes as read, the model and the bone state built from them.
struct LoadedArchive {
    std::vector<uint8_t> bytes;
    std::unique_ptr<Model> model;
    LoadedModel loaded;
};

// Reads the archive once and runs both loaders on those bytes into a new model, as the viewer
// loads; quiet keeps the loaders' lines off the console. false when it cannot be read.
bool loadArchive(const Source& source, bool quiet, LoadedArchive& out);
// loadArchive for a mode that needs bones: an archive without one fails with the line
// "ARCHIVE: no bone to PURPOSE".
bool loadArchiveWithBones(const Source& source, bool quiet, const char* purpose,
                          LoadedArchive& out);
