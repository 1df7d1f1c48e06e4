#pragma once

// The seed inputs of the fuzz targets, all made with the archive builder: sound archives, each
// TIM variant, boundary counts and the hostile classes (bad counts, offsets past the end,
// entries out of order, truncation at structure boundaries). The seed generator writes them to
// fuzz/corpus/<target>/, and the hostile tests reuse the recipes.

#include <string>
#include <vector>

#include "archive_builder.h"

namespace seed_inputs {

struct NamedInput {
    std::string name;  // a file name; its first word names the class (sound, count, offset, ...)
    archive_builder::Bytes bytes;
};

// A small sound model: five bones (one left out of the tree by a late parent), meshes with all
// four polygon groups, a masked textured-triangle word, an odd vertex-list length, row offsets
// past 255, and two images with several palettes.
archive_builder::Skeleton soundSkeleton();
archive_builder::AngleTable soundAngles();
std::vector<archive_builder::TimImage> soundImages();
archive_builder::Bytes soundArchive();

// Whole archives, for the skeleton loader and the texture scan.
std::vector<NamedInput> archiveSeeds();
// Single texture entries, for the TIM decoder.
std::vector<NamedInput> timSeeds();
// Pose files for the fixed pose tree of the fuzz entry points.
std::vector<NamedInput> poseSeeds();

}  // namespace seed_inputs
