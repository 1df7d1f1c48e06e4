#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

// Reads, writes and copies between open files at given offsets, whole or failed.

// Copies length bytes from in at inOffset to the end of out (at outOffset), by copy_file_range
// where the file systems allow it and by read and write where they do not. False on a read or
// write error or a short source.
bool copyRange(int in, uint64_t inOffset, int out, uint64_t outOffset, uint64_t length);

// Writes all of size bytes at offset; false on an error.
bool writeAt(int fd, const uint8_t* data, size_t size, uint64_t offset);
// Reads all of size bytes at offset; false on an error or a short file.
bool readAt(int fd, uint8_t* data, size_t size, uint64_t offset);
