#pragma once

#include <cstddef>
#include <cstdint>

// Telling sectors apart, and where their user data lies. A frame is what one sector takes in a
// track file: 2352 bytes (sync, header, then the rest), 2336 bytes (a Mode 2 sector from its
// subheader on) or 2048 bytes (the user data alone).

enum class FrameSize : size_t { Raw2352 = 2352, Mode2_2336 = 2336, Cooked2048 = 2048 };

enum class SectorKind {
    Mode1,          // 2048 bytes of user data
    Mode2Form1,     // XA: subheader, 2048 bytes of user data
    Mode2Form2,     // XA: subheader, 2324 bytes (audio, video): never read as file data
    Mode2Formless,  // mode 2 without a subheader both copies of which agree: 2336 bytes
    Mode0,          // zero-filled, no data
    Unknown,        // no sync, or a mode byte that is none of these
};

// The subheader's submode bits (ECMA-130 / CD-ROM XA).
constexpr uint8_t kSubmodeEndOfRecord = 0x01;
constexpr uint8_t kSubmodeForm2 = 0x20;
constexpr uint8_t kSubmodeEndOfFile = 0x80;

// The kind of the sector in frame (frameBytes long): for 2352, by its sync and mode byte and both
// subheader copies; for 2336, by both subheader copies; 2048 is always Mode1.
SectorKind sectorKindOf(const uint8_t* frame, FrameSize size);

// Where in the frame its user data starts, and how long it is, for a kind that has any
// (0 bytes for Mode0 and Unknown).
struct UserData {
    size_t offset = 0;
    size_t length = 0;
};
UserData userDataOf(SectorKind kind, FrameSize size);

// The absolute sector address a 2352-byte header states (MSF in BCD, 150 sectors before LBA 0),
// or -1 when its bytes are not valid BCD.
int64_t headerAddress(const uint8_t* frame);
// Writes the MSF of an absolute address into a header (bytes 12..14 of a raw frame).
void writeHeaderAddress(uint8_t* frame, uint32_t address);
