// libFuzzer target: the whole archive through the texture scan, as a stream.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_entry::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz_entry::textureScan(data, size);
}
