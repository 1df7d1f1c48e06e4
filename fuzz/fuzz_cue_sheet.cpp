// libFuzzer target: a CUE sheet's text parsed and written again.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz_entry::cueSheet(data, size);
}
