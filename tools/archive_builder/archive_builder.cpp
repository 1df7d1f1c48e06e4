#include "archive_builder.h"

#include <cstdint>
#include <cstdio>

namespace archive_builder {

void putLE16(Bytes& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void putLE32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

void setLE32(Bytes& out, size_t offset, uint32_t v) {
    if (out.size() < offset + 4) out.resize(offset + 4, 0);
    for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<uint8_t>((v >> (8 * i)) & 0xFF);
}

namespace {

void putUV(Bytes& out, const UV& uv) {
    out.push_back(uv.u);
    out.push_back(uv.v);
}

void putRGB(Bytes& out, const RGB& c) {
    out.push_back(c.r);
    out.push_back(c.g);
    out.push_back(c.b);
    out.push_back(0);
}

}  // namespace

Bytes MeshBlock::bytes() const {
    Bytes out;
    const uint32_t naturalLength = static_cast<uint32_t>(vertices.size() * 8);
    const uint32_t length = vertexListLength.value_or(naturalLength);
    putLE32(out, length);
    for (const Vertex& v : vertices) {
        putLE16(out, static_cast<uint16_t>(v.x));
        putLE16(out, static_cast<uint16_t>(v.y));
        putLE16(out, static_cast<uint16_t>(v.z));
        putLE16(out, v.pad);
    }
    // Readers take L / 8 whole vertices and start the next group right after them; an L that is
    // not a multiple of 8 has its remainder ignored, so only whole vertices are padded in.
    const size_t wanted = 4 + static_cast<size_t>(length / 8) * 8;
    if (out.size() < wanted && length >= naturalLength) out.resize(wanted, 0);
    if (length < naturalLength) out.resize(wanted);

    putLE32(out,
            texturedTriangleWord.value_or((texturedTriangleUpperBits << 8) |
                                          static_cast<uint32_t>(texturedTriangles.size() & 0xFF)));
    for (const TexturedTriangle& t : texturedTriangles) {
        for (uint16_t v : t.v) putLE16(out, v);
        putLE16(out, 0);
        putUV(out, t.uv[0]);
        out.push_back(t.rowOffset);
        out.push_back(0);
        putUV(out, t.uv[1]);
        putUV(out, t.uv[2]);
    }
    putLE32(out, texturedQuadCount.value_or(static_cast<uint32_t>(texturedQuads.size())));
    for (const TexturedQuad& q : texturedQuads) {
        for (uint16_t v : q.v) putLE16(out, v);
        putUV(out, q.uv[0]);
        out.push_back(q.rowOffset);
        out.push_back(0);
        putUV(out, q.uv[1]);
        putUV(out, q.uv[2]);
        putUV(out, q.uv[3]);
        putLE16(out, 0);
    }
    putLE32(out, shadedTriangleCount.value_or(static_cast<uint32_t>(shadedTriangles.size())));
    for (const ShadedTriangle& t : shadedTriangles) {
        for (uint16_t v : t.v) putLE16(out, v);
        putLE16(out, 0);
        for (const RGB& c : t.rgb) putRGB(out, c);
    }
    putLE32(out, shadedQuadCount.value_or(static_cast<uint32_t>(shadedQuads.size())));
    for (const ShadedQuad& q : shadedQuads) {
        for (uint16_t v : q.v) putLE16(out, v);
        for (const RGB& c : q.rgb) putRGB(out, c);
    }
    return out;
}

Bytes Skeleton::bytes() const {
    Bytes out;
    putLE32(out,
            static_cast<uint32_t>(boneCountOverride.value_or(static_cast<int32_t>(bones.size()))));
    putLE32(out, unusedWords[0]);
    putLE32(out, unusedWords[1]);
    const size_t recordsStart = out.size();
    out.resize(recordsStart + 8 * bones.size(), 0);
    for (size_t i = 0; i < bones.size(); ++i) {
        const Bone& bone = bones[i];
        uint32_t meshOffset = 0;
        if (bone.mesh) {
            meshOffset = static_cast<uint32_t>(out.size());
            Bytes block = bone.mesh->bytes();
            out.insert(out.end(), block.begin(), block.end());
        }
        if (bone.meshOffsetOverride) meshOffset = *bone.meshOffsetOverride;
        const size_t r = recordsStart + 8 * i;
        out[r] = static_cast<uint8_t>(bone.parent & 0xFF);
        out[r + 1] = static_cast<uint8_t>(bone.parent >> 8);
        out[r + 2] = static_cast<uint8_t>(static_cast<uint16_t>(bone.length) & 0xFF);
        out[r + 3] = static_cast<uint8_t>(static_cast<uint16_t>(bone.length) >> 8);
        setLE32(out, r + 4, meshOffset);
    }
    return out;
}

Bytes AngleTable::bytes() const {
    Bytes out;
    putLE32(out, header);
    for (int16_t a : angles) putLE16(out, static_cast<uint16_t>(a));
    return out;
}

void TimImage::setIndex(int x, int y, uint8_t index) {
    const size_t rowBytes = static_cast<size_t>(widthUnits) * 2;
    const size_t at = static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) / 2;
    if (pixels.size() <= at) pixels.resize(at + 1, 0);
    if (x % 2 == 0) {
        pixels[at] = static_cast<uint8_t>((pixels[at] & 0xF0) | (index & 0x0F));
    } else {
        pixels[at] = static_cast<uint8_t>((pixels[at] & 0x0F) | ((index & 0x0F) << 4));
    }
}

Bytes TimImage::bytes() const {
    Bytes out;
    putLE32(out, id);
    putLE32(out, flags);
    putLE32(out, clutLength.value_or(12u + 32u * paletteCount));
    putLE16(out, clutX);
    putLE16(out, clutY);
    putLE16(out, clutWidth);
    out.push_back(paletteCount);
    out.push_back(clutHeightHigh);
    const size_t entries = 16u * paletteCount;
    for (size_t i = 0; i < entries; ++i) putLE16(out, i < palettes.size() ? palettes[i] : 0);
    const size_t rowBytes = static_cast<size_t>(widthUnits) * 2;
    const size_t pixelBytes = rowBytes * height;
    putLE32(out, static_cast<uint32_t>(12 + pixelBytes));
    putLE16(out, 0);
    putLE16(out, 0);
    putLE16(out, widthUnits);
    putLE16(out, height);
    // Stop at the cut, so that a cut-short image with huge declared sizes stays small.
    const size_t limit = truncateTo.value_or(SIZE_MAX);
    for (size_t i = 0; i < pixelBytes && out.size() < limit; ++i) {
        out.push_back(i < pixels.size() ? pixels[i] : 0);
    }
    if (truncateTo && *truncateTo < out.size()) out.resize(*truncateTo);
    return out;
}

Bytes Archive::bytes() const {
    Bytes out;
    const uint32_t count = static_cast<uint32_t>(entries.size());
    putLE32(out, countOverride.value_or(count));
    const size_t tableStart = out.size();
    out.resize(tableStart + 4 * entries.size(), 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        uint32_t offset = static_cast<uint32_t>(out.size());
        out.insert(out.end(), entries[i].begin(), entries[i].end());
        if (i < offsetOverrides.size() && offsetOverrides[i]) offset = *offsetOverrides[i];
        setLE32(out, tableStart + 4 * i, offset);
    }
    return out;
}

Bytes buildModelArchive(const Skeleton& skeleton, const AngleTable& angles,
                        const std::vector<TimImage>& images) {
    Archive archive;
    archive.entries.push_back(skeleton.bytes());
    Bytes filler;
    putLE32(filler, 0);
    archive.entries.push_back(filler);
    archive.entries.push_back(angles.bytes());
    for (const TimImage& image : images) archive.entries.push_back(image.bytes());
    archive.entries.push_back(filler);
    return archive.bytes();
}

std::vector<uint32_t> entryOffsets(const Bytes& archive) {
    std::vector<uint32_t> offsets;
    if (archive.size() < 4) return offsets;
    auto word = [&](size_t at) {
        return static_cast<uint32_t>(archive[at]) | (static_cast<uint32_t>(archive[at + 1]) << 8) |
               (static_cast<uint32_t>(archive[at + 2]) << 16) |
               (static_cast<uint32_t>(archive[at + 3]) << 24);
    };
    const uint32_t n = word(0);
    for (uint32_t i = 0; i < n && 4 + 4 * static_cast<size_t>(i) + 4 <= archive.size(); ++i) {
        offsets.push_back(word(4 + 4 * static_cast<size_t>(i)));
    }
    return offsets;
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace archive_builder
