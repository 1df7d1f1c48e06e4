// libFuzzer target: the whole archive read and its images decoded.
#include <cstddef>
#include <cstdint>

#include "console/console.h"
#include "entry_points.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The loaders' console lines would dominate the fuzzing time.
    setConsoleTarget(ConsoleTarget::Discard);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz_entry::textureScan(data, size);
}
