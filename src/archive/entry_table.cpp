#include "archive/entry_table.h"

std::vector<uint8_t> readEntryTableBytes(FILE* file, uint32_t maxEntries) {
    std::vector<uint8_t> bytes(4 + 4 * static_cast<size_t>(maxEntries));
    if (std::fseek(file, 0, SEEK_SET) != 0) return {};
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    return bytes;
}
