#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "io/result.h"
#include "source/source_scan.h"

// Reads the bytes of items a scan found, keeping the last image open, so that taking out every
// item of a disc reads its directories once.
class ItemReader {
  public:
    ItemReader();
    ~ItemReader();
    // The item's bytes as they stand; a Result "NAME: what is wrong" when they cannot be read.
    Result<> read(const FoundItem& found, std::vector<uint8_t>& bytes);

  private:
    struct OpenImage;
    std::unique_ptr<OpenImage> image_;
};
