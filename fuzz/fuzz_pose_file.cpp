// libFuzzer target: a pose file loaded into the fixed seven-node tree.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_entry::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz_entry::poseFile(data, size);
}
