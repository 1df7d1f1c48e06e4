#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/archive_problem.h"
#include "io/bounded_reader.h"
#include "tim/tim_image.h"

// What the decoder will make of one TIM entry, found without decoding it: the header, how many
// palette copies and rows it stores, and what it finds wrong on the way.
struct TimEntryCheck {
    TimHeaderCheck header = TimHeaderCheck::Truncated;
    TimImage image;       // valid when the header is accepted
    int copies = 0;       // palette copies stored on the page
    size_t rowsHeld = 0;  // whole pixel rows the entry holds, at most the image's height
    bool failed = true;   // the decoder's result would be -1
    // In the order the decoder meets them, without their place: the archive gives it.
    std::vector<ArchiveProblem> problems;
};

TimEntryCheck checkTimEntry(const BoundedReader& entry);
