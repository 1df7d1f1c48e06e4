#pragma once

#include <string>

#include "io/result.h"
#include "scan/random_access.h"

// A file on disk read at any offset with pread, never held whole.
class FileBytes : public RandomAccess {
  public:
    FileBytes() = default;
    ~FileBytes() override;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    // Opens a regular file for reading. Fails with the errno of a failed open and the system's
    // reason, or kNotRegularFile.
    static constexpr int kNotRegularFile = -1;
    Result<> open(const std::string& path);

    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, size_t length, uint8_t* out) const override;

  private:
    int fd_ = -1;
    uint64_t size_ = 0;
};
