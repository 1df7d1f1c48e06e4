#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disc/disc_image.h"
#include "disc/image_patch.h"
#include "disc/iso9660.h"
#include "io/result.h"

// Which sectors a patch rewrites and how: worked out, checked and verified before anything is
// written, so that a refusal leaves no file behind.

struct MemberPlan {
    const MemberReplacement* replacement = nullptr;
    std::string label;  // the member as named, "@0x..." added for an item
    uint32_t extent = 0;
    uint32_t first = 0;  // the sectors rewritten
    uint32_t count = 0;
    uint32_t oldSectors = 0;  // a whole member: the sectors it had and will have
    uint32_t newSectors = 0;
    uint8_t endBits = 0;  // end-of-record and end-of-file bits its last sector carried
    bool hasSubheader = false;
    uint8_t subheader[4] = {};  // for sectors it grows into
};

struct DirectoryPatch {
    uint32_t sector = 0;
    std::string label;                                 // the member whose size it states
    std::vector<std::pair<uint32_t, uint32_t>> sizes;  // record offset, new size
};

struct PatchSpan {
    uint32_t first = 0;
    uint32_t count = 0;
    bool directory = false;
    std::vector<size_t> indices;  // into directories (one), or members (several items of one)
};

struct PatchPlan {
    std::vector<MemberPlan> members;
    std::vector<DirectoryPatch> directories;
    std::vector<PatchSpan> spans;  // by sector, none overlapping
};

// Resolves the replacements against the volume; a refusal is code 1 with its one line.
Result<> planPatch(const DiscImage& image, const IsoVolume& volume,
                 const std::vector<MemberReplacement>& replacements,
                 const std::vector<SectorRange>& foundItems, PatchPlan& plan);

// Reads every sector the plan rewrites and checks its kind and its codes; code 1 naming the
// first that fails.
Result<> verifyPlannedSectors(const DiscImage& image, const PatchPlan& plan);

// Rewrites frame (of the given size) in place as the plan has it for sector, its codes
// included.
void rewriteFrame(const PatchPlan& plan, const PatchSpan& span, uint32_t sector, FrameSize size,
                  uint8_t* frame);
