#pragma once

// Writes model archives: the container with its offset table, the skeleton section with bone
// records and mesh blocks, the angle table and TIM images. Tests, fuzz seeds, benchmarks and the
// demo model make every archive they use with it. Each structure can be bent (counts, lengths,
// offsets) to make the hostile files the loaders must survive.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace archive_builder {

using Bytes = std::vector<uint8_t>;

void putLE16(Bytes& out, uint16_t v);
void putLE32(Bytes& out, uint32_t v);
void setLE32(Bytes& out, size_t offset, uint32_t v);

struct Vertex {
    int16_t x = 0, y = 0, z = 0;
    uint16_t pad = 0;  // the fourth word, which readers skip
};

// Vertex fields in the records hold byte offsets into the vertex list (index * 8); the helper
// vref() makes one from an index.
constexpr uint16_t vref(uint16_t index) {
    return static_cast<uint16_t>(index * 8);
}

struct UV {
    uint8_t u = 0, v = 0;
};
struct RGB {
    uint8_t r = 0, g = 0, b = 0;
};

struct TexturedTriangle {
    std::array<uint16_t, 3> v{};  // vertex fields (byte offsets)
    std::array<UV, 3> uv{};
    uint8_t rowOffset = 0;
};
struct TexturedQuad {
    std::array<uint16_t, 4> v{};  // file corners 0..3
    std::array<UV, 4> uv{};
    uint8_t rowOffset = 0;
};
struct ShadedTriangle {
    std::array<uint16_t, 3> v{};
    std::array<RGB, 3> rgb{};
};
struct ShadedQuad {
    std::array<uint16_t, 4> v{};  // file corners 0..3
    std::array<RGB, 4> rgb{};
};

struct MeshBlock {
    std::vector<Vertex> vertices;
    std::vector<TexturedTriangle> texturedTriangles;
    std::vector<TexturedQuad> texturedQuads;
    std::vector<ShadedTriangle> shadedTriangles;
    std::vector<ShadedQuad> shadedQuads;

    // Bends: the vertex-list length word L (the bytes written follow it, padded with zeros, so
    // an L that is not a multiple of 8 leaves its remainder in the file); the upper 24 bits of
    // the textured-triangle word; and the raw count words of the four polygon groups (the
    // records written stay those in the lists).
    std::optional<uint32_t> vertexListLength;
    uint32_t texturedTriangleUpperBits = 0;
    std::optional<uint32_t> texturedTriangleWord;
    std::optional<uint32_t> texturedQuadCount;
    std::optional<uint32_t> shadedTriangleCount;
    std::optional<uint32_t> shadedQuadCount;

    Bytes bytes() const;
};

struct Bone {
    uint16_t parent = 0;  // 0 = root, p = bone p - 1
    int16_t length = 0;
    std::optional<MeshBlock> mesh;               // none: mesh offset 0
    std::optional<uint32_t> meshOffsetOverride;  // bend the record's mesh offset
};

struct Skeleton {
    std::vector<Bone> bones;
    std::optional<int32_t> boneCountOverride;  // bend B
    uint32_t unusedWords[2] = {0, 0};

    // Records, then the mesh blocks in bone order, each at the offset its record gives.
    Bytes bytes() const;
};

struct AngleTable {
    uint32_t header = 0;
    std::vector<int16_t> angles;  // 1/65535 of a turn each
    Bytes bytes() const;
};

// A 4-bit TIM image with palettes.
struct TimImage {
    uint32_t id = 16;
    uint32_t flags = 8;
    std::optional<uint32_t> clutLength;  // default 12 + 32 P
    uint16_t clutX = 0, clutY = 0;
    uint16_t clutWidth = 16;
    uint8_t paletteCount = 1;        // the byte at offset 18
    uint8_t clutHeightHigh = 0;      // the byte at offset 19
    std::vector<uint16_t> palettes;  // 16 entries per palette; padded with 0 up to 16 P
    uint16_t widthUnits = 1;         // width in 16-bit units: 4 pixels each
    uint16_t height = 1;
    std::vector<uint8_t> pixels;       // widthUnits * 2 bytes per row; padded with 0 to full size
    std::optional<size_t> truncateTo;  // cut the entry short after this many bytes

    // Sets pixel (x, y) to a 4-bit index, growing pixels as needed.
    void setIndex(int x, int y, uint8_t index);
    Bytes bytes() const;
};

// 15-bit colour from 5-bit channels.
constexpr uint16_t rgb15(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint16_t>((r & 31) | ((g & 31) << 5) | ((b & 31) << 10));
}

// The container: N, the offset table, then the entries back to back.
struct Archive {
    std::vector<Bytes> entries;
    std::optional<uint32_t> countOverride;
    std::vector<std::optional<uint32_t>> offsetOverrides;  // per entry index
    Bytes bytes() const;
};

// A sound archive: entry 0 the skeleton, 1 a small filler, 2 the angles, then one entry per
// image, then a terminator entry so that the last image is not the last entry (the texture
// scan never examines the last entry).
Bytes buildModelArchive(const Skeleton& skeleton, const AngleTable& angles,
                        const std::vector<TimImage>& images = {});

// Offsets of the entries of a built archive (read back from its table).
std::vector<uint32_t> entryOffsets(const Bytes& archive);

bool writeFile(const std::string& path, const Bytes& bytes);

}  // namespace archive_builder
