// libFuzzer target: an archive compared with itself and with its export brought back.
#include <cstddef>
#include <cstdint>

#include "console/console.h"
#include "entry_points.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setConsoleTarget(ConsoleTarget::Discard);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz_entry::archiveDiff(data, size);
}
