#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "disc/cue_sheet.h"
#include "disc/sector_layout.h"
#include "io/result.h"

// A disc image opened for reading its first data track sector by sector. Nothing is read whole:
// each read is a pread of the frames it needs, so an image of any size costs a few buffers.
//
// Recognised by content, not by name:
//   a CUE sheet (its first data track is read; AUDIO tracks are passed over);
//   2352-byte frames: syncs at 2352-byte stride;
//   2336-byte frames: subheader copies that agree at 2336-byte stride, "CD001" at 16 x 2336 + 9;
//   2048-byte frames: "CD001" at 0x8001.
// A track cut in the middle of a frame keeps its whole frames; the rest is not read.

enum class ImageForm { CueSheet, Raw2352, Raw2336, Iso2048 };

// What kind of image the file at path is, from its first bytes; false when it is none (a plain
// file, taken as a container). Formats not read yet (CHD, ECM, PBP, CloneCD, cdrdao TOC) are
// recognised by their names and contents and set notReadYet to the line that says so; image
// stays false for them, so a caller checks notReadYet first.
struct ImageRecognition {
    bool image = false;
    ImageForm form = ImageForm::Iso2048;
    std::string notReadYet;  // "PATH: CHD images are not read yet", else empty
};
ImageRecognition recogniseImage(const std::string& path);
// The same test on a file's first bytes (at least the first 64 KiB, or all of a shorter file)
// and its size: true with form set when they are an image's.
bool recogniseImageBytes(const std::vector<uint8_t>& head, uint64_t fileSize, ImageForm& form);

class DiscImage {
  public:
    DiscImage();
    ~DiscImage();
    DiscImage(DiscImage&&) noexcept;
    DiscImage& operator=(DiscImage&&) noexcept;

    // Opens the image at path (a sheet, or a track file of one of the three frame sizes). Fails
    // with one line naming what is wrong: a missing track file, no data track, not an image.
    static Result<> open(const std::string& path, DiscImage& out);

    const std::string& path() const;  // as given to open
    ImageForm form() const;
    FrameSize frameSize() const;    // of the data track
    const CueSheet* sheet() const;  // for a CUE sheet, else nullptr
    // The data track's file (for a sheet, one of its FILEs), its size, and the files an output
    // must not be (the sheet and every track file).
    const std::string& trackPath() const;
    uint64_t trackFileSize() const;
    std::vector<std::string> inputFiles() const;

    // Sector addresses are those the ISO 9660 volume uses: 0 is the data track's first sector
    // (INDEX 01; the pregap is not in the file). sectorCount() counts whole frames from there.
    uint32_t sectorCount() const;
    // Byte offset of a sector's frame in trackPath().
    uint64_t frameOffset(uint32_t sector) const;
    // The absolute address (150 less than the MSF) the sheet gives the sector, for checking the
    // header's MSF.
    uint32_t absoluteAddress(uint32_t sector) const;

    // Reads count frames from sector on, frameSize() each, into out; false past the end or on a
    // read error.
    bool readFrames(uint32_t sector, uint32_t count, uint8_t* out) const;
    // The kind of one sector (from its frame).
    SectorKind kindOf(uint32_t sector) const;
    // Reads the 2048-byte user data of count sectors from sector on into out. Form 2 or unknown
    // sectors read as zeros and make it return false; so does a read past the end.
    bool readUserData(uint32_t sector, uint32_t count, uint8_t* out) const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};
