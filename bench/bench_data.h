#pragma once

// The inputs every core benchmark shares, built once per run: the large archive in memory and
// as a scratch file, and the demo model when the build has it.

#include <string>

#include "bench_archives.h"

struct BenchData {
    archive_builder::Bytes large;
    ArchiveCounts largeCounts;
    std::string largePath;        // the large archive written to a scratch file
    archive_builder::Bytes demo;  // empty when the demo model is not built
};

const BenchData& benchData();

class Model;

// The skeleton loader's work on an archive in memory, as at start-up: the reading, the bones
// built into model and the loader's lines made. 0, or -1 when the skeleton cannot be read.
int loadSkeletonInto(Model& model, const archive_builder::Bytes& archive);
