#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"
#include "source/source.h"

// Reading one archive's bytes from its source: the one way every mode and the viewer get them.
// An archive may be at most kArchiveSizeLimit bytes; an image is never read whole, only its
// directories and the member's sectors.

enum SourceReadCode {
    kSourceRead = 0,
    kSourceUnopened = 1,  // a file that cannot be opened (missing, no permission)
    kSourceFailed = 2,    // anything else: too large, a folder, not on the disc, unreadable
};

// The source's bytes, or a Result whose message is one line "NAME: what is wrong" (no line
// end).
Result<> readSource(const Source& source, std::vector<uint8_t>& bytes);

// Whether bytes look like a disc image or a CUE sheet (refused on standard input: an image's
// directories point backwards, which a pipe cannot follow).
bool looksLikeImage(const std::vector<uint8_t>& bytes);
