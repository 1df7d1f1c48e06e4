#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "archive/archive.h"
#include "archive/problem_table.h"
#include "archive_builder.h"
#include "texture/texture_page.h"
#include "tim/tim_entry.h"

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

// Decodes one entry as the scan does, with the lines it gives.
inline Outcome decode(TexturePage& page, const ab::Bytes& entry) {
    const BoundedReader bytes(entry.data(), entry.size());
    const TimEntryCheck check = checkTimEntry(bytes);
    page.decodeChecked(bytes, check);
    std::string lines;
    for (const ArchiveProblem& problem : check.problems) lines += problemLine(problem);
    return {check.failed ? -1 : 0, lines};
}

inline Outcome decode(TexturePage& page, const ab::TimImage& image) {
    return decode(page, image.bytes());
}

// Reads archive bytes and decodes their images, with the texture loader's lines.
inline Outcome scan(TexturePage& page, const ab::Bytes& bytes) {
    const Archive archive = parseArchive(bytes);
    page.decodeImages(bytes.data(), archive);
    std::string lines;
    for (const std::string& line : textureLoaderLines(archive)) lines += line;
    return {archive.texturesResult(), lines};
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
