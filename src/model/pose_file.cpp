// Pose files: every node's userMatrix, poseMatrix and boneOffsetMatrix in depth-first pre-order,
// sixteen little-endian floats each. Loading reads the file whole before touching the tree, and
// saving goes through saveFile, so neither leaves a half-written matrix or file behind. Nothing
// here prints: the lines go back to the caller.

#include "model/pose_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "io/file_reading.h"
#include "io/file_saving.h"
#include "io/formatted.h"
#include "model/bone_node.h"

namespace {

void putMatrix(std::vector<uint8_t>& out, const Matrix4& m) {
    for (float value : m) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    }
}

void getMatrix(const uint8_t* data, Matrix4& m) {
    for (size_t k = 0; k < m.size(); ++k) {
        const uint32_t bits = readLE32(data + 4 * k);
        std::memcpy(&m[k], &bits, sizeof bits);
    }
}

// The matrices of a node in file order.
Matrix4& recordMatrix(NodeMatrices& node, size_t which) {
    switch (which) {
        case 0:
            return node.user;
        case 1:
            return node.pose;
        default:
            return node.boneOffset;
    }
}

}  // namespace

size_t poseNodeCount(const BoneNode& root) {
    size_t count = 0;
    forEachPreOrder(root, [&count](const BoneNode&) { ++count; });
    return count;
}

std::vector<uint8_t> encodePose(const BoneNode& root) {
    return encodePose(root, Pose());
}

std::vector<uint8_t> encodePose(const BoneNode& root, const Pose& pose) {
    std::vector<uint8_t> out;
    out.reserve(poseNodeCount(root) * kPoseRecordBytes);
    forEachPreOrder(root, [&](const BoneNode& node) {
        const NodeMatrices* m = pose.find(node.boneId);
        putMatrix(out, m ? m->user : node.userMatrix);
        putMatrix(out, m ? m->pose : node.poseMatrix);
        putMatrix(out, m ? m->boneOffset : node.boneOffsetMatrix);
    });
    return out;
}

Pose decodePose(const BoneNode& root, const uint8_t* data, size_t size, size_t* loaded) {
    Pose pose = Pose::capture(root);
    const size_t available = size / kPoseMatrixBytes;
    size_t read = 0;
    forEachPreOrder(root, [&](const BoneNode& node) {
        NodeMatrices* m = pose.find(node.boneId);
        for (size_t which = 0; which < 3 && read < available; ++which, ++read) {
            getMatrix(data + read * kPoseMatrixBytes, recordMatrix(*m, which));
        }
    });
    if (loaded) *loaded = read;
    return pose;
}

PoseLoad applyPose(BoneNode& root, const uint8_t* data, size_t size) {
    const size_t needed = poseNodeCount(root) * kPoseRecordBytes;
    PoseLoad result;
    decodePose(root, data, size, &result.loaded).apply(root);
    if (size < needed) {
        result.sizeNote = formatted(
            "Pose file has %zu bytes, the model needs %zu: loaded the first %zu matrices, "
            "kept the rest",
            size, needed, result.loaded);
    } else if (size > needed) {
        result.sizeNote = formatted(
            "Pose file has %zu bytes, the model needs %zu: the rest was ignored", size, needed);
    }
    return result;
}

Result<PoseRead> readPoseStream(FILE* stream, size_t needed) {
    const long start = std::ftell(stream);
    BoundedRead read = readUpTo(stream, needed);
    if (read.error != 0) return Failure{read.error, std::strerror(read.error)};
    PoseRead result;
    result.bytes = std::move(read.bytes);
    result.more = read.more;
    const int64_t size = read.more ? regularFileSize(stream) : -1;
    if (start >= 0 && size > start) result.size = size - start;
    return result;
}

Result<PoseRead> readPoseFile(const char* path, size_t needed) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return Failure{errno, std::strerror(errno)};
    Result<PoseRead> read = readPoseStream(file, needed);
    std::fclose(file);
    return read;
}

Result<PoseLoad> loadPoseStream(BoneNode& root, FILE* stream, const char* path) {
    const size_t needed = poseNodeCount(root) * kPoseRecordBytes;
    const Result<PoseRead> read = readPoseStream(stream, needed);
    if (!read) {
        return Failure{kPoseCannotRead,
                       path ? formatted("Cannot read pose file %s: %s", path, read.message.c_str())
                            : "Cannot read the pose file: " + read.message};
    }
    PoseLoad load = applyPose(root, read->bytes.data(), read->bytes.size());
    if (!read->more) return load;
    if (read->size > 0 && static_cast<uint64_t>(read->size) > needed) {
        load.sizeNote =
            formatted("Pose file has %zu bytes, the model needs %zu: the rest was ignored",
                      static_cast<size_t>(read->size), needed);
    } else {
        load.sizeNote = formatted(
            "Pose file is longer than the %zu bytes the model needs: the rest was ignored", needed);
    }
    return load;
}

Result<> savePoseFile(const BoneNode& root, const char* path) {
    return savePoseFile(root, Pose(), path);
}

Result<> savePoseFile(const BoneNode& root, const Pose& pose, const char* path) {
    const SaveResult saved = saveFile(path, encodePose(root, pose));
    switch (saved.outcome) {
        case SaveOutcome::Saved:
            return {};
        case SaveOutcome::CannotOpen:
            return Result<>::failed(kPoseCannotOpen, std::string("cannot open : ") + path);
        case SaveOutcome::WriteFailed:
            break;
    }
    return Result<>::failed(kPoseWriteFailed, formatted("Cannot save pose file %s: %s", path,
                                                        std::strerror(saved.error)));
}
