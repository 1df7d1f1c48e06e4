#pragma once

#include <cstdint>
#include <cstdio>

// Little-endian readers (and a 16-bit writer), assembled byte by byte so that host byte order and
// alignment do not matter. The pointer readers do no bounds checks: untrusted data goes through
// BoundedReader, which checks first and then calls these.
inline uint8_t readByte(const uint8_t* p) {
    return p[0];
}
inline uint16_t readLE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (static_cast<unsigned>(p[1]) << 8));
}
inline uint32_t readLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void putLE16(uint8_t* p, uint16_t value) {
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>(value >> 8);
}

// Little-endian writers; the caller makes sure the bytes are there.
inline void writeLE16(uint8_t* at, uint16_t v) {
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}
inline void writeLE32(uint8_t* at, uint32_t v) {
    for (int k = 0; k < 4; ++k) at[k] = static_cast<uint8_t>(v >> (8 * k));
}

// From an open file at its current position. A short read gives 0 and leaves the file's
// end-of-file or error state set for the caller to test.
uint8_t readFileByte(FILE* f);
uint16_t readFileLE16(FILE* f);
uint32_t readFileLE32(FILE* f);
