#include "disc_builder.h"

#include <algorithm>
#include <cstring>

#include "disc/sector_codes.h"

namespace {

constexpr uint32_t kPregapFrames = 150;
constexpr size_t kMode2DropBytes = kSyncBytes + kHeaderBytes;

uint8_t bcd(uint32_t value) {
    return static_cast<uint8_t>((value / 10) << 4 | (value % 10));
}

void writeSyncAndHeader(uint32_t address, uint8_t mode, uint8_t* out) {
    out[0] = 0;
    std::memset(out + 1, 0xFF, kSyncBytes - 2);
    out[kSyncBytes - 1] = 0;
    const uint32_t msf = address + kPregapFrames;
    out[12] = bcd(msf / (60 * 75));
    out[13] = bcd(msf / 75 % 60);
    out[14] = bcd(msf % 75);
    out[15] = mode;
}

}  // namespace

void frameSector(const uint8_t* user, uint32_t address, Framing framing, const Subheader& sub,
                 uint8_t* out) {
    std::memset(out, 0, kRawSectorBytes);
    if (framing == Framing::Mode1_2352) {
        writeSyncAndHeader(address, 1, out);
        std::memcpy(out + 16, user, kUserDataBytes);
        encodeMode1Sector(out);
        return;
    }
    writeSyncAndHeader(address, 2, out);
    const uint8_t fields[4] = {sub.file, sub.channel, sub.submode, sub.coding};
    std::memcpy(out + 16, fields, 4);
    std::memcpy(out + 20, fields, 4);
    if (sub.submode & kSubmodeForm2Bit) {
        std::memcpy(out + 24, user, kForm2DataBytes);
        encodeMode2Form2Sector(out);
    } else {
        std::memcpy(out + 24, user, kUserDataBytes);
        encodeMode2Form1Sector(out);
    }
}

std::vector<uint8_t> frameImage(const std::vector<uint8_t>& iso, Framing framing,
                                const std::function<Subheader(uint32_t sector)>& subheaderOf,
                                uint32_t firstAddress) {
    const size_t sectors = (iso.size() + kUserDataBytes - 1) / kUserDataBytes;
    const size_t frameBytes = framing == Framing::Mode2_2336 ? 2336 : kRawSectorBytes;
    const size_t drop = framing == Framing::Mode2_2336 ? kMode2DropBytes : 0;
    std::vector<uint8_t> out(sectors * frameBytes);
    uint8_t user[kForm2DataBytes];
    uint8_t raw[kRawSectorBytes];
    for (size_t s = 0; s < sectors; ++s) {
        std::memset(user, 0, sizeof user);
        const size_t from = s * kUserDataBytes;
        std::memcpy(user, iso.data() + from, std::min(kUserDataBytes, iso.size() - from));
        const uint32_t sector = static_cast<uint32_t>(s);
        const Subheader sub =
            subheaderOf && framing != Framing::Mode1_2352 ? subheaderOf(sector) : Subheader{};
        frameSector(user, firstAddress + sector, framing, sub, raw);
        std::memcpy(out.data() + s * frameBytes, raw + drop, frameBytes);
    }
    return out;
}

std::string cueSheetFor(const std::string& binName, Framing framing) {
    const char* mode = framing == Framing::Mode1_2352        ? "MODE1/2352"
                       : framing == Framing::Mode2Form1_2352 ? "MODE2/2352"
                                                             : "MODE2/2336";
    return "FILE \"" + binName + "\" BINARY\n  TRACK 01 " + mode + "\n    INDEX 01 00:00:00\n";
}
