#include "io/byte_order.h"

namespace {
template <size_t N>
bool readExactly(FILE* f, uint8_t (&bytes)[N]) {
    return std::fread(bytes, 1, N, f) == N;
}
}  // namespace

uint8_t readFileByte(FILE* f) {
    uint8_t b[1];
    return readExactly(f, b) ? b[0] : 0;
}

uint16_t readFileLE16(FILE* f) {
    uint8_t b[2];
    return readExactly(f, b) ? readLE16(b) : 0;
}

uint32_t readFileLE32(FILE* f) {
    uint8_t b[4];
    return readExactly(f, b) ? readLE32(b) : 0;
}
