// libFuzzer target: a file opened as a disc image and its ISO 9660 volume read.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz_entry::discImage(data, size);
}
