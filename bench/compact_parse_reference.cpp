#include "compact_parse_reference.h"

#include <array>

#include "model/bounded_reader.h"

namespace {

constexpr int kQuadCornerOrder[4] = {0, 1, 3, 2};
constexpr size_t kRecordBytes[4] = {16, 20, 20, 24};  // textured tri, quad; shaded tri, quad
constexpr int kCorners[4] = {3, 4, 3, 4};

struct GroupLayout {
    size_t start = 0;
    size_t count = 0;
};

// byte / 256 for every byte value, and (u or v + row offset) / 256 up to 510.
const std::array<float, 511>& sixteenths() {
    static const std::array<float, 511> table = [] {
        std::array<float, 511> t{};
        for (size_t i = 0; i < t.size(); ++i) t[i] = static_cast<float>(i / 256.0);
        return t;
    }();
    return table;
}

// Lays out the groups and checks every record and vertex reference; false for a bad block.
bool layOut(const BoundedReader& block, size_t& vertexCount, GroupLayout groups[4]) {
    uint32_t length = 0;
    if (!block.readU32(0, length)) return false;
    vertexCount = length / 8;
    size_t p = 4;
    if (vertexCount > (block.size() - p) / 8) return false;
    p += vertexCount * 8;
    for (int g = 0; g < 4; ++g) {
        uint32_t word = 0;
        if (!block.readU32(p, word)) return false;
        p += 4;
        const int32_t signedWord = static_cast<int32_t>(word);
        const size_t count =
            g == 0 ? (word & 0xFFu) : (signedWord > 0 ? static_cast<size_t>(signedWord) : 0);
        if (count > (block.size() - p) / kRecordBytes[g]) return false;
        groups[g] = {p, count};
        p += count * kRecordBytes[g];
    }
    const uint8_t* data = block.data();
    for (int g = 0; g < 4; ++g) {
        for (size_t r = 0; r < groups[g].count; ++r) {
            const uint8_t* record = data + groups[g].start + r * kRecordBytes[g];
            for (int k = 0; k < kCorners[g]; ++k) {
                if ((readLE16(record + 2 * k) >> 3) >= vertexCount) return false;
            }
        }
    }
    return true;
}

struct Writer {
    float* position;
    float* color;
    float* texCoord;
    uint8_t* cornerCount;
};

void putPosition(Writer& out, const uint8_t* vertices, const uint8_t* field) {
    const uint8_t* v = vertices + 8 * (readLE16(field) >> 3);
    out.position[0] = static_cast<int16_t>(readLE16(v));
    out.position[1] = static_cast<int16_t>(readLE16(v + 2));
    out.position[2] = static_cast<int16_t>(readLE16(v + 4));
    out.position += 3;
}

void texturedGroup(const uint8_t* data, const GroupLayout& group, int g, Writer& out) {
    static constexpr size_t uvTriangle[3] = {8, 12, 14};
    static constexpr size_t uvQuad[4] = {8, 12, 14, 16};
    const auto& scale = sixteenths();
    const uint8_t* vertices = data + 4;
    for (size_t r = 0; r < group.count; ++r) {
        const uint8_t* record = data + group.start + r * kRecordBytes[g];
        const int rowOffset = record[10];
        for (int k = 0; k < kCorners[g]; ++k) {
            const int j = kCorners[g] == 4 ? kQuadCornerOrder[k] : k;
            putPosition(out, vertices, record + 2 * j);
            const uint8_t* uv = record + (kCorners[g] == 4 ? uvQuad[j] : uvTriangle[j]);
            out.color[0] = out.color[1] = out.color[2] = 1.0f;
            out.color += 3;
            out.texCoord[0] = scale[uv[0]];
            out.texCoord[1] = scale[uv[1] + rowOffset];
            out.texCoord += 2;
        }
        *out.cornerCount++ = static_cast<uint8_t>(kCorners[g]);
    }
}

void shadedGroup(const uint8_t* data, const GroupLayout& group, int g, Writer& out) {
    const auto& scale = sixteenths();
    const uint8_t* vertices = data + 4;
    for (size_t r = 0; r < group.count; ++r) {
        const uint8_t* record = data + group.start + r * kRecordBytes[g];
        for (int k = 0; k < kCorners[g]; ++k) {
            const int j = kCorners[g] == 4 ? kQuadCornerOrder[k] : k;
            putPosition(out, vertices, record + 2 * j);
            const uint8_t* rgb = record + 8 + 4 * j;
            out.color[0] = scale[rgb[0]];
            out.color[1] = scale[rgb[1]];
            out.color[2] = scale[rgb[2]];
            out.color += 3;
        }
        *out.cornerCount++ = static_cast<uint8_t>(kCorners[g]);
    }
}

}  // namespace

size_t compactParse(const uint8_t* data, size_t size, std::vector<CompactMesh>& meshes) {
    const BoundedReader archive(data, size);
    uint32_t section = 0;
    int32_t bones = 0;
    if (!archive.readU32(4, section) || !archive.readI32(section, bones)) return 0;
    const BoundedReader skeleton = archive.from(section);
    size_t polygons = 0;
    for (int32_t i = 0; i < bones; ++i) {
        uint32_t meshOffset = 0;
        if (!skeleton.readU32(12 + 8 * static_cast<size_t>(i) + 4, meshOffset)) break;
        meshes.emplace_back();
        if (meshOffset == 0) continue;
        const BoundedReader block = skeleton.from(meshOffset);
        size_t vertexCount = 0;
        GroupLayout groups[4];
        if (!layOut(block, vertexCount, groups)) continue;
        CompactMesh& mesh = meshes.back();
        mesh.texturedPolygons = groups[0].count + groups[1].count;
        mesh.polygons = mesh.texturedPolygons + groups[2].count + groups[3].count;
        const size_t texturedCorners = 3 * groups[0].count + 4 * groups[1].count;
        mesh.corners = texturedCorners + 3 * groups[2].count + 4 * groups[3].count;
        // Left uninitialised: every element is written below.
        mesh.positions.reset(new float[3 * mesh.corners]);
        mesh.colors.reset(new float[3 * mesh.corners]);
        mesh.texCoords.reset(new float[2 * texturedCorners]);
        mesh.cornerCounts.reset(new uint8_t[mesh.polygons]);
        Writer out{mesh.positions.get(), mesh.colors.get(), mesh.texCoords.get(),
                   mesh.cornerCounts.get()};
        texturedGroup(block.data(), groups[0], 0, out);
        texturedGroup(block.data(), groups[1], 1, out);
        shadedGroup(block.data(), groups[2], 2, out);
        shadedGroup(block.data(), groups[3], 3, out);
        polygons += mesh.polygons;
    }
    return polygons;
}
