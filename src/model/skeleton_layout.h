#pragma once

#include <cstddef>
#include <cstdint>

// Where an archive keeps its skeleton: entry 0 holds the skeleton section, whose bone records
// (8 bytes each: parent, length, mesh offset) start 12 bytes in; entry 2, when present, holds
// the angle table, one 16-bit angle per bone from 4 bytes in.
constexpr size_t kSkeletonEntry = 0;
constexpr size_t kAngleTableEntry = 2;
constexpr size_t kRecordsStart = 12;
constexpr size_t kRecordBytes = 8;
constexpr size_t kAnglesStart = 4;

// A table angle in radians: a full turn is 65535.
inline float boneAngleRadians(int16_t angle) {
    return static_cast<float>(angle / 65535.0 * 6.283184);
}
