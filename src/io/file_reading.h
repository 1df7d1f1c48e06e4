#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

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

// Reads a whole model archive. A regular file larger than kArchiveSizeLimit is refused before a
// byte of it is read, any other stream once it runs past the limit; either prints one line
// naming the file and its size. A read error prints one line too. True when data holds the
// whole file.
bool readArchiveFile(FILE* stream, const char* path, std::vector<uint8_t>& data);
