#include "disc/sector_layout.h"

#include <cstring>

namespace {

constexpr uint8_t kSync[12] = {0x00, 0xff, 0xff, 0xff, 0xff, 0xff,
                               0xff, 0xff, 0xff, 0xff, 0xff, 0x00};

bool hasSync(const uint8_t* frame) {
    return std::memcmp(frame, kSync, sizeof kSync) == 0;
}

// A subheader is trusted only when both of its copies agree.
SectorKind kindOfSubheader(const uint8_t* subheader) {
    if (std::memcmp(subheader, subheader + 4, 4) != 0) return SectorKind::Mode2Formless;
    return (subheader[2] & kSubmodeForm2) ? SectorKind::Mode2Form2 : SectorKind::Mode2Form1;
}

int bcdValue(uint8_t byte) {
    const int high = byte >> 4;
    const int low = byte & 0x0f;
    if (high > 9 || low > 9) return -1;
    return high * 10 + low;
}

uint8_t bcdByte(uint32_t value) {
    return static_cast<uint8_t>(((value / 10) % 10) << 4 | (value % 10));
}

}  // namespace

SectorKind sectorKindOf(const uint8_t* frame, FrameSize size) {
    switch (size) {
        case FrameSize::Cooked2048:
            return SectorKind::Mode1;
        case FrameSize::Mode2_2336:
            return kindOfSubheader(frame);
        case FrameSize::Raw2352:
            break;
    }
    if (!hasSync(frame)) return SectorKind::Unknown;
    switch (frame[15]) {
        case 0:
            return SectorKind::Mode0;
        case 1:
            return SectorKind::Mode1;
        case 2:
            return kindOfSubheader(frame + 16);
        default:
            return SectorKind::Unknown;
    }
}

UserData userDataOf(SectorKind kind, FrameSize size) {
    const size_t subheaderAt = size == FrameSize::Raw2352 ? 16 : 0;
    switch (kind) {
        case SectorKind::Mode1:
            if (size == FrameSize::Mode2_2336) return {};
            return {size == FrameSize::Raw2352 ? size_t{16} : size_t{0}, 2048};
        case SectorKind::Mode2Form1:
            if (size == FrameSize::Cooked2048) return {};
            return {subheaderAt + 8, 2048};
        case SectorKind::Mode2Form2:
            if (size == FrameSize::Cooked2048) return {};
            return {subheaderAt + 8, 2324};
        case SectorKind::Mode2Formless:
            if (size == FrameSize::Cooked2048) return {};
            return {subheaderAt, 2336};
        case SectorKind::Mode0:
        case SectorKind::Unknown:
            break;
    }
    return {};
}

int64_t headerAddress(const uint8_t* frame) {
    const int minute = bcdValue(frame[12]);
    const int second = bcdValue(frame[13]);
    const int fraction = bcdValue(frame[14]);
    if (minute < 0 || second < 0 || second > 59 || fraction < 0 || fraction > 74) return -1;
    return (int64_t{minute} * 60 + second) * 75 + fraction - 150;
}

void writeHeaderAddress(uint8_t* frame, uint32_t address) {
    const uint64_t msf = uint64_t{address} + 150;
    frame[12] = bcdByte(static_cast<uint32_t>((msf / (60 * 75)) % 100));
    frame[13] = bcdByte(static_cast<uint32_t>((msf / 75) % 60));
    frame[14] = bcdByte(static_cast<uint32_t>(msf % 75));
}
