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
// Texture files put back into the sound archive: each file extracted from it, the same files
// named for an entry that is no image, and textures.json in the place of a PNG.
std::vector<NamedInput> textureReplaceSeeds();
// Pose files for the fixed pose tree of the fuzz entry points.
std::vector<NamedInput> poseSeeds();
// Exports of the sound model: one pose as .glb and .gltf, three poses as an animation.
std::vector<NamedInput> gltfSeeds();

// Disc images: a small ISO 9660 volume (a file in the root, one in a folder) as 2048-byte
// sectors, framed as Mode 1 and as Mode 2 (2352 and 2336), a sheet, and volumes whose folder
// loops back or whose file lies past the end.
std::vector<NamedInput> discImageSeeds();
// CUE sheets naming "disc.bin": one track, audio before data, gaps and every tolerated line.
std::vector<NamedInput> cueSheetSeeds();

// Archives at the edges of their sizes, too large for the fuzz corpus; the hostile tests load
// them and the viewer end-to-end test opens them (seed generator option --large).
// count bones, all under the root, sharing the one mesh block (a shaded triangle) behind the
// records; bone i has length and angle (int16) i.
archive_builder::Bytes bonesUnderRoot(size_t count);
// count bones, each under the one before (parent ids are 16 bits wide, so at most 65,536 chain;
// later bones hang on the last addressable one), each with the shared mesh block.
archive_builder::Bytes boneChain(size_t count);
// The sound model followed by one image entry that fills the archive up to exactly 64 MiB and
// declares 65,535 rows of 262,140 pixels.
archive_builder::Bytes archiveOf64MiB();
std::vector<NamedInput> largeArchives();

}  // namespace seed_inputs
