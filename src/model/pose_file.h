#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

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

// Loads the whole matrices that data holds into the tree, in record order; matrices beyond the
// end keep their values and no matrix is ever half overwritten. Prints one line when the size
// does not match the tree. Returns the number of matrices loaded.
size_t applyPose(BoneNode& root, const uint8_t* data, size_t size);

// Saves the pose through saveFile (io/file_saving.h): beside the target and renamed over it,
// keeping its mode and links, and refusing a write-protected file or a folder. Prints
// "cannot open : <path>" when the file cannot be written, or one line naming the path and the
// error. 0 on success, -1 on failure.
int savePoseFile(const BoneNode& root, const char* path);
// The same for pose, written in root's node order.
int savePoseFile(const BoneNode& root, const Pose& pose, const char* path);

// What reading a pose file for a tree found: its bytes up to what the tree needs, never more, and
// how the file's length compares.
struct PoseRead {
    int error = 0;               // errno of a failed open or read; then nothing else is set
    std::vector<uint8_t> bytes;  // at most needed
    bool more = false;           // the file goes on past needed
    int64_t size = -1;           // with more: the whole file's size from where it was read, or
                                 // -1 for a pipe or device, which only says that it goes on
};
// From where the stream stands.
PoseRead readPoseStream(FILE* stream, size_t needed);
PoseRead readPoseFile(const char* path, size_t needed);

// Reads the file whole, then applies it. Prints "cannot open : <path>" when it cannot be
// opened. 0 when something was loaded, -1 otherwise.
int loadPoseFile(BoneNode& root, const char* path);
// The same for a stream already open, read from where it stands, with the same lines; path
// names the file in the line about a read error, null for a stream of unknown name. Returns the
// number of matrices loaded.
size_t loadPoseStream(BoneNode& root, FILE* stream, const char* path);
