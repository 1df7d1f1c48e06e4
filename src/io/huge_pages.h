#pragma once

#include <cstddef>

// Asks the kernel to back a large buffer with transparent huge pages before it is first
// written. Where huge pages are given only on request, filling a buffer of tens of MB otherwise
// costs one page fault per 4 KB, which is most of a load's time. Small buffers, and buffers
// with no whole huge page inside them, are left alone; a refusal changes nothing but speed.
void adviseHugePages(void* data, size_t bytes);
