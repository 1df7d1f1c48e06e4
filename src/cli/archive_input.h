#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/model_loading.h"

// An archive argument: a path, "-" for standard input (a pipe or a FIFO works as a path), or ""
// for the built-in demo model.

// How lines name the archive: its path, "standard input" or "demo model".
std::string archiveName(const std::string& archive);

// Reads the archive once, bounded by kArchiveSizeLimit, into bytes. false with one line
// "NAME: what is wrong".
bool readArchiveInput(const std::string& archive, std::vector<uint8_t>& bytes);

// One archive loaded for a mode: the bytes as read, the model and the bone state built from them.
struct LoadedArchive {
    std::vector<uint8_t> bytes;
    std::unique_ptr<Model> model;
    LoadedModel loaded;
};

// Reads the archive once and runs both loaders on those bytes into a new model, as the viewer
// loads; quiet keeps the loaders' lines off the console. false when it cannot be read.
bool loadArchive(const std::string& archive, bool quiet, LoadedArchive& out);
// loadArchive for a mode that needs bones: an archive without one fails with the line
// "ARCHIVE: no bone to PURPOSE".
bool loadArchiveWithBones(const std::string& archive, bool quiet, const char* purpose,
                          LoadedArchive& out);
