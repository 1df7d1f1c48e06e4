#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "io/result.h"

// Writing a disc image with some of its members replaced, so that the game reads the new files.
// The output has the input's form (a CUE sheet gives a new sheet with its track files beside it,
// named after it). Inputs are never written. Members never move: a member's first sector stays,
// and a new file may grow only into following sectors that nothing uses, whose user data is all
// zero. Raw sectors keep their address and subheader (but for the end-of-record and end-of-file
// bits at the new last sector) and get their EDC and ECC computed again, after their old codes
// have been verified. Everything not rewritten is copied byte for byte (copy_file_range).

struct MemberReplacement {
    std::string member;       // path inside the image, as the scan names it
    uint64_t itemOffset = 0;  // for an item at an offset inside the member ("@0x..."), else 0
    bool atOffset = false;
    uint64_t itemSize = 0;       // the size of the item found there, for an item at an offset
    std::vector<uint8_t> bytes;  // the new contents
};

// Sectors the caller knows hold something (an item a scan found there) although no file names
// them: a member may not grow into them. Addresses as the volume counts them (0 is the data
// track's first sector).
struct SectorRange {
    uint32_t first = 0;
    uint32_t count = 0;
};

// Refusals are Result codes 1 (a member that cannot take the bytes: missing, a directory,
// several extents, Form 2, named twice, overlapping, too big, a sector whose codes do not verify;
// nothing is written; items at offsets of one member may go together when they do not overlap) and
// 2 (a usage error: an output that is one of the inputs, or a sheet's output not ending in ".cue");
// code 3 is an image that cannot be read or an output that cannot be written (nothing is left
// behind). A refusal's line names the member as given ("B.BIN@0x100" for an item), e.g.
// "B.BIN: 856 bytes too big (there is room for 6144)", "B.BIN: sector 28 does not verify".
// progress, when given, is called with sectors done of all.
Result<> patchImage(const std::string& imagePath, const std::string& outPath,
                  const std::vector<MemberReplacement>& replacements,
                  const std::function<void(uint64_t done, uint64_t total)>& progress = {},
                  const std::vector<SectorRange>& foundItems = {});

// The files patchImage would write for outPath: the output itself, and for a sheet every track
// file beside it ("mod.bin", or "mod (Track N).bin" for a sheet of several files).
Result<> plannedOutputs(const std::string& imagePath, const std::string& outPath,
                      std::vector<std::string>& outputs);
