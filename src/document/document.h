#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "archive/archive.h"
#include "io/result.h"
#include "model/model.h"
#include "source/source.h"

// One loaded archive: where it came from, its bytes as read (once), what the reading of them
// found, the model built from them with its bone state, and everything found wrong. A document
// is a value: two can live side by side, and nothing of it is process-wide.
struct Document {
    Source source;
    std::vector<uint8_t> bytes;
    Archive archive;               // parseArchive(bytes)
    std::unique_ptr<Model> model;  // never null; model->loadedPose is the pose as loaded
    double texturesMs = 0;         // wall time of decoding the images
    double skeletonMs = 0;         // wall time of building the tree

    // The reading's problems, in the order the loaders meet them.
    const std::vector<ArchiveProblem>& diagnostics() const { return archive.problems; }
    size_t boneCount() const { return model->boneCount(); }
    bool hasBones() const { return boneCount() != 0; }
    // Some image was decoded into the texture page.
    bool hasTexture() const;
};

// How a source that cannot be read is told.
enum class UnreadLines {
    Named,    // one line "NAME: what is wrong", as every mode prints it
    Loaders,  // a plain file: the lines the viewer's loaders print for it, each with its end
};

// Reads the source once (bounded by kArchiveSizeLimit) and builds the document from its bytes.
// A source that cannot be read is a failure with code kSourceUnopened or kSourceFailed
// (source/source_reading.h) and its line.
Result<Document> loadDocument(const Source& source, UnreadLines lines = UnreadLines::Named);

// Builds the document from bytes already in hand: parses them, decodes the images and builds the
// tree, keeping the tree's matrices as loaded.
Document documentFromBytes(Source source, std::vector<uint8_t> bytes);
