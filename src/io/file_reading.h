#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "io/result.h"

// The largest model archive the loaders take. Real archives stay below a few tens of MB; a file
// beyond this is not a model, and reading it whole would cost gigabytes and minutes.
constexpr uint64_t kArchiveSizeLimit = uint64_t{256} << 20;

// What a bounded read of a stream found.
struct BoundedRead {
    std::vector<uint8_t> bytes;  // at most the limit, from the stream's position on
    bool more = false;           // the stream goes on past the limit
    int error = 0;               // errno of a failed read, else 0
};

// Reads from the stream's current position up to limit bytes and stops there, so an endless
// stream (a pipe, /dev/zero) costs no more memory or time than the limit.
BoundedRead readUpTo(FILE* stream, size_t limit);

// The size of the stream's file when it is a regular file, else -1: a directory, pipe or device
// reports a size that says nothing about what reading it yields.
int64_t regularFileSize(FILE* stream);

// What reading a whole model archive from a stream found.
struct ArchiveRead {
    enum Outcome {
        Read,      // bytes holds the whole stream
        TooLarge,  // a regular file larger than kArchiveSizeLimit: not a byte was read
        RunsPast,  // another stream that ran past the limit
        Failed,    // error says why
    };
    Outcome outcome = Read;
    std::vector<uint8_t> bytes;
    int64_t size = -1;  // regularFileSize
    int error = 0;
};
ArchiveRead readArchiveStream(FILE* stream);

// readArchiveStream with the one line the viewer's loaders print for a stream that cannot be
// read whole, naming the file and its size or the error; the code is the ArchiveRead outcome.
Result<> readArchiveFile(FILE* stream, const char* path, std::vector<uint8_t>& data);
