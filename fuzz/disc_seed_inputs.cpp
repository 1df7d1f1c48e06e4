// The seeds of the disc targets: a volume built here byte by byte, so that the corpus needs no
// outside tool.
#include <cstring>
#include <string>

#include "seed_inputs.h"

namespace seed_inputs {
namespace {

using archive_builder::Bytes;
constexpr size_t kSector = 2048;
constexpr uint32_t kSectors = 24;
constexpr uint32_t kRoot = 20, kSub = 21, kFileA = 22, kFileB = 23;

void putBoth16(uint8_t* at, uint16_t value) {
    at[0] = at[3] = static_cast<uint8_t>(value);
    at[1] = at[2] = static_cast<uint8_t>(value >> 8);
}
void putBoth32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = at[7 - i] = static_cast<uint8_t>(value >> (8 * i));
}

// A directory record at at; returns its length.
size_t putRecord(uint8_t* at, uint32_t extent, uint32_t size, bool directory,
                 const std::string& name) {
    const size_t length = 33 + name.size() + (name.size() % 2 == 0 ? 1 : 0);
    at[0] = static_cast<uint8_t>(length);
    putBoth32(at + 2, extent);
    putBoth32(at + 10, size);
    at[25] = directory ? 2 : 0;
    putBoth16(at + 28, 1);
    at[32] = static_cast<uint8_t>(name.size());
    std::memcpy(at + 33, name.data(), name.size());
    return length;
}

// Sectors 16 (primary descriptor), 17 (terminator), 18 and 19 (path tables), 20 (root), 21
// (SUB), 22 (A.BIN), 23 (SUB/B.BIN).
Bytes smallVolume(uint32_t subExtent, uint32_t fileAExtent) {
    Bytes iso(kSectors * kSector, 0);
    uint8_t* pvd = &iso[16 * kSector];
    pvd[0] = 1;
    std::memcpy(pvd + 1, "CD001\1", 6);
    putBoth32(pvd + 80, kSectors);
    putBoth16(pvd + 120, 1);
    putBoth16(pvd + 124, 1);
    putBoth16(pvd + 128, kSector);
    putBoth32(pvd + 132, 22);
    pvd[140] = 18;
    pvd[151] = 19;
    putRecord(pvd + 156, kRoot, kSector, true, std::string(1, '\0'));
    uint8_t* terminator = &iso[17 * kSector];
    terminator[0] = 255;
    std::memcpy(terminator + 1, "CD001\1", 6);
    const uint8_t pathTable[22] = {1, 0,    kRoot, 0, 0, 0, 1, 0,   0,   0,   3,
                                   0, kSub, 0,     0, 0, 1, 0, 'S', 'U', 'B', 0};
    std::memcpy(&iso[18 * kSector], pathTable, sizeof pathTable);
    const uint8_t bigEndianTable[22] = {1, 0, 0, 0, 0,    kRoot, 0, 1,   0,   0,   3,
                                        0, 0, 0, 0, kSub, 0,     1, 'S', 'U', 'B', 0};
    std::memcpy(&iso[19 * kSector], bigEndianTable, sizeof bigEndianTable);
    uint8_t* root = &iso[kRoot * kSector];
    root += putRecord(root, kRoot, kSector, true, std::string(1, '\0'));
    root += putRecord(root, kRoot, kSector, true, std::string(1, '\1'));
    root += putRecord(root, fileAExtent, 100, false, "A.BIN;1");
    putRecord(root, subExtent, kSector, true, "SUB");
    uint8_t* sub = &iso[kSub * kSector];
    sub += putRecord(sub, kSub, kSector, true, std::string(1, '\0'));
    sub += putRecord(sub, kRoot, kSector, true, std::string(1, '\1'));
    putRecord(sub, kFileB, 3000 - kSector, false, "B.BIN;1");
    for (size_t i = 0; i < 100; ++i) iso[kFileA * kSector + i] = static_cast<uint8_t>(i);
    std::memcpy(&iso[kFileB * kSector], "B file", 6);
    return iso;
}

// Each sector framed (codes left zero): Mode 1 or Mode 2 Form 1, 2352 bytes or from the
// subheader on.
Bytes framed(const Bytes& iso, int mode, size_t frame) {
    Bytes out;
    for (size_t s = 0; s < iso.size() / kSector; ++s) {
        uint8_t raw[2352] = {};
        std::memset(raw + 1, 0xff, 10);
        const uint32_t msf = static_cast<uint32_t>(s) + 150;
        auto bcd = [](uint32_t v) { return static_cast<uint8_t>((v / 10) << 4 | (v % 10)); };
        raw[12] = bcd(msf / 4500);
        raw[13] = bcd(msf / 75 % 60);
        raw[14] = bcd(msf % 75);
        raw[15] = static_cast<uint8_t>(mode);
        const size_t data = mode == 1 ? 16 : 24;
        if (mode == 2) raw[18] = raw[22] = 0x08;
        std::memcpy(raw + data, &iso[s * kSector], kSector);
        out.insert(out.end(), raw + (2352 - frame), raw + 2352);
    }
    return out;
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

}  // namespace

std::vector<NamedInput> discImageSeeds() {
    const Bytes iso = smallVolume(kSub, kFileA);
    return {
        {"iso-2048", iso},
        {"raw-mode1-2352", framed(iso, 1, 2352)},
        {"raw-mode2-2352", framed(iso, 2, 2352)},
        {"raw-mode2-2336", framed(iso, 2, 2336)},
        {"hostile-loop", smallVolume(kRoot, kFileA)},
        {"hostile-past-end", smallVolume(kSub, 1000)},
        {"sheet-mode1",
         text("FILE \"disc.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n")},
    };
}

std::vector<NamedInput> cueSheetSeeds() {
    return {
        {"one-track",
         text("FILE \"disc.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n")},
        {"audio-then-data",
         text("REM GENRE Game\r\nFILE \"DISC.BIN\" BINARY\r\n  TRACK 01 AUDIO\r\n    FLAGS DCP\r\n"
              "    INDEX 01 00:00:00\r\n  TRACK 02 MODE1/2048\r\n    INDEX 00 00:00:05\r\n"
              "    INDEX 01 00:00:10\r\n")},
        {"gaps-and-lines",
         text("CATALOG 0000000000000\nTITLE \"t\"\nPERFORMER \"p\"\nFILE .\\disc.bin BINARY\n"
              "TRACK 01 MODE2/2336\nISRC ABCDE1234567\nPREGAP 00:02:00\nINDEX 01 00:00:00\n"
              "POSTGAP 00:02:00\nSONGWRITER \"s\"\n")},
    };
}

}  // namespace seed_inputs
