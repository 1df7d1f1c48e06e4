#include "disc/sector_codes.h"

#include <array>
#include <cstring>

namespace {

constexpr uint32_t kEdcPolynomialReflected = 0xD8018001u;
constexpr size_t kMode1EdcOffset = 2064;
constexpr size_t kForm1EdcOffset = 2072;
constexpr size_t kForm2EdcOffset = 2348;
constexpr size_t kModeOffset = 15;
constexpr size_t kSubheaderOffset = kSyncBytes + kHeaderBytes;

// The parity vectors over the area from byte 12: `vectors` of them, each `count` bytes `step`
// apart (wrapping at the end of the area), vector n starting at (n / 2) * wordStride + n % 2.
struct ParityShape {
    size_t vectors;
    size_t count;
    size_t wordStride;  // first byte of vector n: (n / 2) * wordStride + n % 2
    size_t step;
};
constexpr ParityShape kP{86, 24, 2, 86};
constexpr ParityShape kQ{52, 43, 86, 88};

struct Tables {
    std::array<uint32_t, 256> edc{};
    std::array<uint8_t, 256> timesAlpha{};        // x * alpha in GF(2^8), x^8+x^4+x^3+x^2+1
    std::array<uint8_t, 256> overOnePlusAlpha{};  // x / (1 + alpha)

    Tables() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t crc = i;
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc >> 1) ^ ((crc & 1u) ? kEdcPolynomialReflected : 0u);
            }
            edc[i] = crc;
            const uint32_t doubled = (i << 1) ^ ((i & 0x80u) ? 0x11Du : 0u);
            timesAlpha[i] = static_cast<uint8_t>(doubled);
            overOnePlusAlpha[i ^ doubled] = static_cast<uint8_t>(i);
        }
    }
};

const Tables& tables() {
    static const Tables instance;
    return instance;
}

// Two parity bytes per vector: the first makes alpha-weighted sum zero with the second,
// the second makes the plain sum zero.
void parity(const uint8_t* area, const ParityShape& shape, uint8_t* out) {
    const Tables& t = tables();
    const size_t size = shape.vectors * shape.count;
    for (size_t n = 0; n < shape.vectors; ++n) {
        size_t index = (n / 2) * shape.wordStride + n % 2;
        uint8_t weighted = 0;
        uint8_t sum = 0;
        for (size_t i = 0; i < shape.count; ++i) {
            const uint8_t byte = area[index];
            index += shape.step;
            if (index >= size) index -= size;
            weighted = t.timesAlpha[weighted ^ byte];
            sum ^= byte;
        }
        const uint8_t first = t.overOnePlusAlpha[t.timesAlpha[weighted] ^ sum];
        out[n] = first;
        out[n + shape.vectors] = first ^ sum;
    }
}

void storeLittleEndian(uint32_t value, uint8_t* out) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t loadLittleEndian(const uint8_t* in) {
    return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}

// The Form 1 ECC leaves the header out (it may be changed by a copy to another address).
void computeEccWithoutHeader(uint8_t* sector) {
    uint8_t header[kHeaderBytes];
    std::memcpy(header, sector + kSyncBytes, kHeaderBytes);
    std::memset(sector + kSyncBytes, 0, kHeaderBytes);
    computeSectorEcc(sector);
    std::memcpy(sector + kSyncBytes, header, kHeaderBytes);
}

bool eccMatches(const uint8_t* sector, bool headerAsZero) {
    uint8_t copy[kRawSectorBytes];
    std::memcpy(copy, sector, kRawSectorBytes);
    if (headerAsZero) {
        computeEccWithoutHeader(copy);
    } else {
        computeSectorEcc(copy);
    }
    return std::memcmp(copy + kEccPOffset, sector + kEccPOffset, kRawSectorBytes - kEccPOffset) ==
           0;
}

bool edcMatches(const uint8_t* sector, size_t from, size_t edcOffset, bool zeroAllowed) {
    const uint32_t stored = loadLittleEndian(sector + edcOffset);
    if (zeroAllowed && stored == 0) return true;
    return stored == sectorEdc(sector + from, edcOffset - from);
}

bool syncIsValid(const uint8_t* sector) {
    if (sector[0] != 0 || sector[kSyncBytes - 1] != 0) return false;
    for (size_t i = 1; i + 1 < kSyncBytes; ++i) {
        if (sector[i] != 0xFF) return false;
    }
    return true;
}

}  // namespace

uint32_t sectorEdc(const uint8_t* data, size_t size) {
    const auto& table = tables().edc;
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i) crc = (crc >> 8) ^ table[(crc ^ data[i]) & 0xFFu];
    return crc;
}

void computeSectorEcc(uint8_t* sector) {
    parity(sector + kSyncBytes, kP, sector + kEccPOffset);
    parity(sector + kSyncBytes, kQ, sector + kEccQOffset);
}

void encodeMode1Sector(uint8_t* sector) {
    storeLittleEndian(sectorEdc(sector, kMode1EdcOffset), sector + kMode1EdcOffset);
    std::memset(sector + kMode1EdcOffset + 4, 0, kEccPOffset - kMode1EdcOffset - 4);
    computeSectorEcc(sector);
}

void encodeMode2Form1Sector(uint8_t* sector) {
    storeLittleEndian(sectorEdc(sector + kSubheaderOffset, kForm1EdcOffset - kSubheaderOffset),
                      sector + kForm1EdcOffset);
    computeEccWithoutHeader(sector);
}

void encodeMode2Form2Sector(uint8_t* sector) {
    storeLittleEndian(sectorEdc(sector + kSubheaderOffset, kForm2EdcOffset - kSubheaderOffset),
                      sector + kForm2EdcOffset);
}

bool sectorCodesVerify(const uint8_t* sector) {
    if (!syncIsValid(sector)) return false;
    switch (sector[kModeOffset]) {
        case 1:
            return edcMatches(sector, 0, kMode1EdcOffset, false) && eccMatches(sector, false);
        case 2: {
            const uint8_t* sub = sector + kSubheaderOffset;
            if (std::memcmp(sub, sub + 4, 4) != 0) return false;
            if (sub[2] & 0x20) return edcMatches(sector, kSubheaderOffset, kForm2EdcOffset, true);
            return edcMatches(sector, kSubheaderOffset, kForm1EdcOffset, false) &&
                   eccMatches(sector, true);
        }
        default:
            return false;
    }
}
