#include "io/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

constexpr uintptr_t kHugePageBytes = uintptr_t{2} << 20;

}  // namespace

void adviseHugePages(void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
    const uintptr_t begin = reinterpret_cast<uintptr_t>(data);
    if (!data || bytes < kHugePageBytes || begin > UINTPTR_MAX - bytes) return;
    const uintptr_t first = (begin + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    const uintptr_t end = (begin + bytes) & ~(kHugePageBytes - 1);
    if (end <= first) return;
    ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}
