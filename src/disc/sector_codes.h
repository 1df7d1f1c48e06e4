#pragma once

#include <cstddef>
#include <cstdint>

// The error detection (EDC) and correction (ECC) codes of a 2352-byte CD-ROM sector. Mode 1 as
// ECMA-130 frames it; Mode 2 as the CD-ROM XA rules frame Form 1 and Form 2.
//
// Layout of a raw sector (offsets from its start):
//   0   12 sync (00 ff x10 00)          12  4 header: minute, second, frame (BCD), mode
//   Mode 1:        16 2048 data, 2064 4 EDC (over 0..2063), 2068 8 zero, 2076 172 P, 2248 104 Q
//   Mode 2 Form 1: 16 8 subheader (two copies of 4), 24 2048 data, 2072 4 EDC (over 16..2071),
//                  2076 172 P, 2248 104 Q; the ECC is computed with the header taken as zero
//   Mode 2 Form 2: 16 8 subheader, 24 2324 data, 2348 4 EDC (over 16..2347), 0 allowed
constexpr size_t kRawSectorBytes = 2352;
constexpr size_t kSyncBytes = 12;
constexpr size_t kHeaderBytes = 4;
constexpr size_t kSubheaderBytes = 8;
constexpr size_t kUserDataBytes = 2048;
constexpr size_t kForm2DataBytes = 2324;
constexpr size_t kEccPOffset = 2076;
constexpr size_t kEccQOffset = 2248;

// The CD-ROM EDC: a CRC-32 of polynomial x^32 + x^31 + x^16 + x^15 + x^4 + x^3 + x + 1, bits taken
// least significant first, starting from 0, with no final inversion. Stored little-endian.
uint32_t sectorEdc(const uint8_t* data, size_t size);

// The P and Q parity of a raw sector, computed over bytes 12 .. 2075 (header, then data and EDC)
// and written to 2076 .. 2351. The header bytes are used as they stand.
void computeSectorEcc(uint8_t* sector);

// Fill in a sector's codes, given its sync, header, subheader and data in place.
void encodeMode1Sector(uint8_t* sector);
void encodeMode2Form1Sector(uint8_t* sector);
void encodeMode2Form2Sector(uint8_t* sector);

// Whether the codes stored in a raw sector are the ones its kind asks for. A Form 2 sector whose
// stored EDC is 0 verifies. The kind comes from the mode byte and the subheader's form bit.
bool sectorCodesVerify(const uint8_t* sector);
