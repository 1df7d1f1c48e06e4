#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// The files a patch writes: each made under a hidden name beside its final one, and renamed into
// place only when every one of them is complete. Whatever is not committed is removed.
class OutputFiles {
  public:
    OutputFiles() = default;
    ~OutputFiles();
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;

    // Creates the temporary file for finalPath; its descriptor, or -1 with errno set.
    int create(const std::string& finalPath);
    // Syncs and closes every file, then renames each into place; false with errno on failure
    // (the temporary files still left are removed).
    bool commit();

  private:
    struct Pending {
        std::string temp;
        std::string target;
        int fd = -1;
    };
    std::vector<Pending> pending_;
};

// Copies length bytes from in at inOffset to the end of out (at outOffset), by copy_file_range
// where the file systems allow it and by read and write where they do not. False on a read or
// write error or a short source.
bool copyRange(int in, uint64_t inOffset, int out, uint64_t outOffset, uint64_t length);

// Writes all of size bytes at offset; false on an error.
bool writeAt(int fd, const uint8_t* data, size_t size, uint64_t offset);
// Reads all of size bytes at offset; false on an error or a short file.
bool readAt(int fd, uint8_t* data, size_t size, uint64_t offset);
