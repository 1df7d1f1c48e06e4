#pragma once

// Counts the program's heap allocations through a replaced global operator new, so that a
// benchmark can tell how many allocations (and how many bytes at the peak) an operation makes.

#include <cstddef>

struct AllocationStats {
    size_t allocations = 0;  // calls of operator new since the last reset
    size_t liveBytes = 0;    // bytes allocated and not yet freed (usable sizes)
    size_t peakBytes = 0;    // the highest liveBytes since the last resetPeak
};

AllocationStats allocationStats();
// Starts a new peak from the bytes live now.
void resetAllocationPeak();
