#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Frames the 2048-byte sectors of an ISO 9660 image (as genisoimage or pycdlib write it) into
// the sectors of a raw disc image, as a disc writer would, for tests, fuzz seeds and benchmarks.
// The product never links it.

enum class Framing {
    Mode1_2352,       // sync, header, data, EDC, zeros, P and Q
    Mode2Form1_2352,  // sync, header (mode 2), subheader x2, data, EDC, P and Q (header as zero)
    Mode2_2336,       // a Mode 2 Form 1 sector from its subheader on
};

// A CD-ROM XA subheader: file number, channel, submode, coding (each copy).
struct Subheader {
    uint8_t file = 0;
    uint8_t channel = 0;
    uint8_t submode = 0x08;  // data
    uint8_t coding = 0;
};
constexpr uint8_t kSubmodeData = 0x08;
constexpr uint8_t kSubmodeForm2Bit = 0x20;
constexpr uint8_t kSubmodeRealTime = 0x40;
constexpr uint8_t kSubmodeEorBit = 0x01;
constexpr uint8_t kSubmodeEofBit = 0x80;

// One raw sector of 2352 bytes at the absolute address (MSF = address + 150). For Mode 2, a
// subheader with the Form 2 bit gives a Form 2 sector whose data is the first 2324 bytes of
// user (which must hold that many).
void frameSector(const uint8_t* user, uint32_t address, Framing framing, const Subheader& sub,
                 uint8_t* out);

// Every sector of iso framed; subheaderOf (Mode 2 only) gives each sector's subheader, the data
// subheader without it. A 2336 framing drops the first 16 bytes of each 2352-byte sector.
std::vector<uint8_t> frameImage(const std::vector<uint8_t>& iso, Framing framing,
                                const std::function<Subheader(uint32_t sector)>& subheaderOf = {},
                                uint32_t firstAddress = 0);

// A one-track CUE sheet for binName ("disc.bin") in the given framing.
std::string cueSheetFor(const std::string& binName, Framing framing);
