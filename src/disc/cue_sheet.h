#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"

// A CUE sheet: the track files it names and the tracks in them. The reader is bounded: a sheet
// larger than kMaxCueSheetBytes, a line it cannot make sense of, or random bytes give a Result
// naming the line, never a crash.
constexpr size_t kMaxCueSheetBytes = 1 << 20;

enum class TrackMode { Audio, Mode1_2352, Mode2_2352, Mode2_2336, Mode1_2048 };

struct CueTrack {
    int number = 0;  // as the sheet numbers it (TRACK NN)
    TrackMode mode = TrackMode::Audio;
    size_t file = 0;      // index in CueSheet::files
    uint32_t index0 = 0;  // INDEX 00 in frames from the file's start, when given
    bool hasIndex0 = false;
    uint32_t index1 = 0;  // INDEX 01 in frames from the file's start
    bool hasIndex1 = false;
    uint32_t pregap = 0;  // PREGAP in frames (not stored in the file)
};

struct CueFile {
    std::string name;  // as the sheet writes it, quotes removed
    std::string path;  // resolved: relative to the sheet's folder, '\' as '/', letter case
                       // matched against the folder when the exact name is missing
    std::string type;  // BINARY, MOTOROLA, WAVE ...
};

struct CueSheet {
    std::vector<CueFile> files;
    std::vector<CueTrack> tracks;  // in sheet order
    // The lines of the sheet, kept so that a new sheet can be written with other file names.
    std::vector<std::string> lines;
    std::string lineEnd = "\n";  // "\r\n" when the sheet was written so
};

// Does text look like a CUE sheet (a FILE line, then a TRACK line, before anything else that
// is not REM, CATALOG, TITLE, PERFORMER, SONGWRITER, CDTEXTFILE)? Used to recognise a source by
// its content.
bool looksLikeCueSheet(const uint8_t* data, size_t size);

// Parses the sheet's text. sheetPath is where it was read from (for resolving file names). A
// track file that is missing, or not a regular file, fails with one line naming it.
Result<> parseCueSheet(const std::string& text, const std::string& sheetPath, CueSheet& out);

// The sheet's text with each FILE line's name replaced by newNames[i] (one per file, in order).
std::string rewriteCueSheet(const CueSheet& sheet, const std::vector<std::string>& newNames);
