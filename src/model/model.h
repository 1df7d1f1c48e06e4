#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/matrix.h"

class TexturePage;

// A table of per-part reset matrices that the menu commands can address. Nothing fills it, so
// its commands act on nothing; it is kept so that they have a well-defined, bounded target.
struct PartTableEntry {
    int32_t selected = 0;
    int32_t reset = 0;
};
struct PartTable {
    int32_t count = 0;
    std::vector<PartTableEntry> entries;
    std::vector<Matrix4> matrices;
};

// The document: the texture page and the skeleton loaded from one model archive.
class Model {
  public:
    Model();
    ~Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    TexturePage& texturePage() { return *texturePage_; }
    const TexturePage& texturePage() const { return *texturePage_; }
    PartTable partTable;

    // The tree's matrices right after loading, as pose-file bytes: the pose an export binds
    // its skin to, whatever the user has done since.
    std::vector<uint8_t> loadedPose;

    // Fills the texture page from the archive's TIM entries. 0, or -1 with a console line.
    int loadTextures(const char* path);
    // Reads the archive whole and builds the bones below rootNode. 0, or -1 with a console line.
    int loadSkeleton(const char* path);
    // Builds the bones from an in-memory archive; size bounds every read.
    int parseSkeleton(const uint8_t* data, size_t size);

  private:
    std::unique_ptr<TexturePage> texturePage_;
};
