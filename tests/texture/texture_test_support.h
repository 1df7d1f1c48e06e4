#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "archive_builder.h"
#include "console/console.h"
#include "texture/texture_page.h"

namespace texture_test {

namespace ab = archive_builder;

using Rgba = std::array<uint8_t, 4>;

inline Rgba pixelAt(const TexturePage& page, int x, int y) {
    const size_t at = 4 * (static_cast<size_t>(kTexturePageSize) * y + x);
    return {page.pixels[at], page.pixels[at + 1], page.pixels[at + 2], page.pixels[at + 3]};
}

inline bool pageIsClear(const TexturePage& page) {
    for (uint8_t byte : page.pixels) {
        if (byte != 0) return false;
    }
    return true;
}

// A page on the heap: 256 KiB is too much for a test's stack.
inline std::unique_ptr<TexturePage> newPage() {
    return std::make_unique<TexturePage>();
}

struct Outcome {
    int result;
    std::string console;
};

inline Outcome decode(TexturePage& page, const ab::Bytes& entry) {
    ConsoleCapture console;
    const int result = page.decodeTim(entry.data(), entry.size());
    return {result, console.text()};
}

inline Outcome decode(TexturePage& page, const ab::TimImage& image) {
    return decode(page, image.bytes());
}

// Scans archive bytes through a real file stream, as the viewer does for a file on disk.
inline Outcome scan(TexturePage& page, const ab::Bytes& archive) {
    FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    if (!file) return {-2, ""};
    if (!archive.empty()) std::fwrite(archive.data(), 1, archive.size(), file);
    ConsoleCapture console;
    const int result = page.scanArchive(file);
    std::fclose(file);
    return {result, console.text()};
}

// An archive whose entries are exactly the given ones, with a terminator entry after them so
// that the last one is examined.
inline ab::Bytes archiveOf(std::vector<ab::Bytes> entries) {
    ab::Archive archive;
    archive.entries = std::move(entries);
    ab::Bytes terminator;
    ab::putLE32(terminator, 0);
    archive.entries.push_back(terminator);
    return archive.bytes();
}

inline std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

}  // namespace texture_test
