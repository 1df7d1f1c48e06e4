#pragma once

// The untrusted inputs of the viewer, each as one function of a byte buffer. The libFuzzer
// targets and the corpus replay test call exactly these, so every crash a fuzzer saves can be
// replayed in the normal and sanitizer builds without libFuzzer.
//
// Besides surviving the input, each entry checks the promises the loaders make about their
// results (whole polygons, whole matrices, consistent lists) and aborts when one is broken, so a
// broken promise is a finding like a crash.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

class Model;

namespace fuzz_entry {

// A broken promise is reported on stderr (the console is discarded while fuzzing) and aborts, so
// that libFuzzer saves the input and the replay test fails.
[[noreturn]] inline void brokenPromise(const char* what) {
    std::fprintf(stderr, "fuzz entry: %s\n", what);
    std::abort();
}

inline void check(bool ok, const char* what) {
    if (!ok) brokenPromise(what);
}

// The whole archive read and its bones built with their part meshes, on a fresh model, with the
// skeleton loader's lines.
int skeletonArchive(const uint8_t* data, size_t size);
// One texture entry checked and decoded, with its lines.
int timEntry(const uint8_t* data, size_t size);
// The whole archive read and its images decoded, with the texture loader's lines.
int textureScan(const uint8_t* data, size_t size);
// One texture file put back into an archive: the entry and palette byte that name the file
// entry<E>-palette<M>.png, the archive's length (32 bits, little-endian), the archive, and the
// rest of the input as the PNG file (see textureReplaceInput).
int textureReplace(const uint8_t* data, size_t size);
// A pose file loaded, as "Load matrix" loads it, into a fixed tree of seven nodes (see
// poseTreeArchive).
int poseFile(const uint8_t* data, size_t size);
// A .glb or .gltf imported as a pose for the sound model's tree (seed_inputs::soundArchive):
// the nodes as they stand and, when animated, each key time and the times between them.
int gltfImport(const uint8_t* data, size_t size);
// A .glb or .gltf imported as an edited model of the sound archive: a refusal writes nothing; an
// archive written loads as the original does, with whole polygons.
int modelImport(const uint8_t* data, size_t size);
// A file opened as a disc image (in a private folder that also holds "disc.bin") and its
// ISO 9660 volume read: every entry's path stays inside the volume, its extent inside the image.
int discImage(const uint8_t* data, size_t size);
// A CUE sheet's text, parsed beside "disc.bin"; a sheet parsed and written again parses alike.
int cueSheet(const uint8_t* data, size_t size);
// A whole archive compared with itself, and with its export brought back by the model import
// where both succeed: neither shows a difference.
int archiveDiff(const uint8_t* data, size_t size);

// Builds the bones of an archive into model; false when its skeleton cannot be read.
bool buildBones(Model& model, const uint8_t* archive, size_t size);

// The input of textureReplace that puts png back as entry<entry>-palette<palette>.png.
std::vector<uint8_t> textureReplaceInput(uint8_t entry, uint8_t palette,
                                         const std::vector<uint8_t>& archive,
                                         const std::vector<uint8_t>& png);

// The archive of the fixed tree that poseFile loads into: bones 1 and 2 under the root, bone 3
// under bone 1, bones 4 and 5 a chain under bone 3, bone 6 under the root. Seven nodes, so a
// matching pose file is 7 * 192 bytes.
const uint8_t* poseTreeArchive(size_t* size);
constexpr size_t kPoseTreeNodes = 7;

}  // namespace fuzz_entry
