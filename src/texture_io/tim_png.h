#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"
#include "tim/tim_format.h"

// A TIM's picture as PNG files and back. 4- and 8-bit TIMs give indexed PNGs of bit depth 4 or 8
// whose indices are the TIM's, with a PLTE of 16 or 256 colours and a tRNS that clears the
// colours of value 0; a TIM with several palettes gives one file per palette, all with the same
// indices. 16-bit TIMs give RGBA PNGs (alpha 0 where the value is 0), 24-bit ones RGB.

// The files for the TIM at timPath: its name with the extension replaced by ".png", or by
// "-palette<M>.png" for each palette M when it has several.
std::vector<std::string> timPngPaths(const std::string& timPath, const TimInfo& info);

// The PNG bytes of each file, in the order timPngPaths names them.
Result<> encodeTimPngs(const TimPicture& picture, std::vector<std::vector<uint8_t>>& pngs);

// Decodes the TIM and writes its files beside timPath, each written whole and then renamed into
// place. Fails at the first that fails (the files before it stay written).
Result<> writeTimPngs(const std::string& timPath, const uint8_t* tim, const TimInfo& info);

// The way back: the PNGs read into the TIM's picture, then into its bytes in place. pngs holds
// either one file, palette 0's (its indices and palette 0; the other palettes stay as they are),
// or every file timPngPaths names, in that order (the indices from the first, which every other
// file must repeat; each file's colours into its palette). A PNG that does not fit (size, type,
// too many colours, a colour or pixel partly transparent, indices that differ) is refused with
// one phrase saying why, and the TIM is left as it was.
Result<> readTimPngs(const std::vector<std::vector<uint8_t>>& pngs, const TimInfo& info,
                     uint8_t* tim);

// readTimPngs with the files beside timPath: every file when all are there, else palette 0's
// alone (refused when some but not all of the others are there, since then which are meant is
// unclear). The TIM's bytes are changed in memory only; the caller saves them.
Result<> readTimPngFiles(const std::string& timPath, const TimInfo& info, uint8_t* tim);
