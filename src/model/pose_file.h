#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "io/result.h"
#include "model/pose.h"

class BoneNode;

// A pose file holds one 192-byte record per node of the tree in depth-first pre-order from the
// root: userMatrix, poseMatrix, boneOffsetMatrix, each sixteen little-endian floats.
constexpr size_t kPoseMatrixBytes = 64;
constexpr size_t kPoseRecordBytes = 3 * kPoseMatrixBytes;

size_t poseNodeCount(const BoneNode& root);
std::vector<uint8_t> encodePose(const BoneNode& root);
// The records of pose in root's node order; a node the pose lacks gets its own matrices.
std::vector<uint8_t> encodePose(const BoneNode& root, const Pose& pose);

// The pose that the whole matrices in data give root's nodes, in record order; matrices beyond
// the end are the tree's own. loaded, when given, gets the number of matrices read.
Pose decodePose(const BoneNode& root, const uint8_t* data, size_t size, size_t* loaded = nullptr);

// What loading pose bytes onto a tree did.
struct PoseLoad {
    size_t loaded = 0;  // whole matrices, in record order
    // The line saying how the bytes' size differs from what the tree needs, for the caller to
    // print; none when it is exactly what the tree needs.
    std::optional<std::string> sizeNote;
};

// Loads the whole matrices that data holds into the tree, in record order; matrices beyond the
// end keep their values and no matrix is ever half overwritten.
PoseLoad applyPose(BoneNode& root, const uint8_t* data, size_t size);

// Why a pose file cannot be saved or read.
enum PoseFileFailure { kPoseCannotOpen = 1, kPoseWriteFailed, kPoseCannotRead };

// Saves the pose through saveFile (io/file_saving.h): beside the target and renamed over it,
// keeping its mode and links, and refusing a write-protected file or a folder. Fails with
// "cannot open : <path>" when the file cannot be written, or one line naming the path and the
// error.
Result<> savePoseFile(const BoneNode& root, const char* path);
// The same for pose, written in root's node order.
Result<> savePoseFile(const BoneNode& root, const Pose& pose, const char* path);

// What reading a pose file for a tree found: its bytes up to what the tree needs, never more, and
// how the file's length compares.
struct PoseRead {
    std::vector<uint8_t> bytes;  // at most needed
    bool more = false;           // the file goes on past needed
    int64_t size = -1;           // with more: the whole file's size from where it was read, or
                                 // -1 for a pipe or device, which only says that it goes on
};
// From where the stream stands. A failed open or read fails with its errno as the code and the
// system's message.
Result<PoseRead> readPoseStream(FILE* stream, size_t needed);
Result<PoseRead> readPoseFile(const char* path, size_t needed);

// Reads a stream already open from where it stands, then applies what it holds. Fails with
// kPoseCannotRead and "Cannot read pose file <path>: <error>" (path null: a stream of unknown
// name) when it cannot be read; the tree is then unchanged.
Result<PoseLoad> loadPoseStream(BoneNode& root, FILE* stream, const char* path);
