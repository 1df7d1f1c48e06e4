#include "bench_archives.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>

using namespace archive_builder;

namespace {

// A tube of kRings rings of kSegments vertices around the bone's Z axis, one unit apart;
// polygons take the corners of one grid cell each, so they are small and spread over the tube
// as in a real part, and up to kCells polygons per bone never overlap.
constexpr int kSegments = 32;
constexpr int kRings = 80;
constexpr int kCells = kSegments * (kRings - 1);

// Twenty chains of bones below the root. The loader turns bones about X only and moves them
// along Z only, so each chain curls in the Y-Z plane; its meshes stand apart from the other
// chains' along X.
constexpr int kChains = 20;

std::vector<Vertex> tubeVertices(int boneIndex) {
    std::vector<Vertex> vertices;
    vertices.reserve(kSegments * kRings);
    const int chain = boneIndex % kChains;
    const double radius = 5.0 + chain % 4;
    const double centreX = (chain - (kChains - 1) / 2.0) * 14.0;
    for (int ring = 0; ring < kRings; ++ring) {
        for (int s = 0; s < kSegments; ++s) {
            const double a = 2.0 * M_PI * s / kSegments;
            Vertex v;
            v.x = static_cast<int16_t>(std::lround(centreX + radius * std::cos(a)));
            v.y = static_cast<int16_t>(std::lround(radius * std::sin(a)));
            v.z = static_cast<int16_t>(ring);
            vertices.push_back(v);
        }
    }
    return vertices;
}

// The four vertex fields of grid cell c: (ring, s), (ring, s + 1), (ring + 1, s), (ring + 1, s +
// 1).
std::array<uint16_t, 4> cellCorners(int c) {
    const int ring = (c / kSegments) % (kRings - 1);
    const int s = c % kSegments;
    const int s1 = (s + 1) % kSegments;
    auto index = [](int r, int seg) { return vref(static_cast<uint16_t>(r * kSegments + seg)); };
    return {index(ring, s), index(ring, s1), index(ring + 1, s), index(ring + 1, s1)};
}

UV uvOf(int c, int corner) {
    return {static_cast<uint8_t>((c * 7 + corner * 13) & 0xFF),
            static_cast<uint8_t>((c * 3 + corner * 5) & 0x3F)};
}

RGB rgbOf(int c, int corner) {
    return {static_cast<uint8_t>(c * 11 + corner), static_cast<uint8_t>(c * 5 + 60),
            static_cast<uint8_t>(200 - corner * 40)};
}

MeshBlock tubeMesh(int boneIndex, int polygons, ArchiveCounts* counts) {
    MeshBlock mesh;
    mesh.vertices = tubeVertices(boneIndex);
    const int texturedTriangles = std::min(255, polygons / 4);
    const int rest = polygons - texturedTriangles;
    const int texturedQuads = rest / 3;
    const int shadedTriangles = rest / 3;
    const int shadedQuads = rest - texturedQuads - shadedTriangles;
    int c = boneIndex * 17;
    auto next = [&]() { return c++ % kCells; };
    for (int i = 0; i < texturedTriangles; ++i) {
        const int cell = next();
        const auto k = cellCorners(cell);
        TexturedTriangle t;
        t.v = {k[0], k[1], k[2]};
        t.uv = {uvOf(cell, 0), uvOf(cell, 1), uvOf(cell, 2)};
        t.rowOffset = static_cast<uint8_t>((cell % 4) * 64);
        mesh.texturedTriangles.push_back(t);
    }
    for (int i = 0; i < texturedQuads; ++i) {
        const int cell = next();
        TexturedQuad q;
        q.v = cellCorners(cell);
        q.uv = {uvOf(cell, 0), uvOf(cell, 1), uvOf(cell, 2), uvOf(cell, 3)};
        q.rowOffset = static_cast<uint8_t>((cell % 4) * 64);
        mesh.texturedQuads.push_back(q);
    }
    for (int i = 0; i < shadedTriangles; ++i) {
        const int cell = next();
        const auto k = cellCorners(cell);
        ShadedTriangle t;
        t.v = {k[1], k[3], k[2]};
        t.rgb = {rgbOf(cell, 0), rgbOf(cell, 1), rgbOf(cell, 2)};
        mesh.shadedTriangles.push_back(t);
    }
    for (int i = 0; i < shadedQuads; ++i) {
        const int cell = next();
        ShadedQuad q;
        q.v = cellCorners(cell);
        q.rgb = {rgbOf(cell, 0), rgbOf(cell, 1), rgbOf(cell, 2), rgbOf(cell, 3)};
        mesh.shadedQuads.push_back(q);
    }
    if (counts) {
        counts->polygons += static_cast<size_t>(polygons);
        counts->corners +=
            3u * (texturedTriangles + shadedTriangles) + 4u * (texturedQuads + shadedQuads);
    }
    return mesh;
}

TimImage makeImage(uint16_t widthUnits, uint16_t height, uint8_t palettes, int seed) {
    TimImage image;
    image.widthUnits = widthUnits;
    image.height = height;
    image.paletteCount = palettes;
    for (int i = 0; i < 16 * palettes; ++i) {
        image.palettes.push_back(rgb15(static_cast<uint8_t>(i * 2 + seed),
                                       static_cast<uint8_t>(31 - i), static_cast<uint8_t>(i * 5)));
    }
    const int width = widthUnits * 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setIndex(x, y, static_cast<uint8_t>((x / 4 + y / 4 + seed) & 0x0F));
        }
    }
    return image;
}

}  // namespace

Bytes makeLargeArchive(const LargeArchiveShape& shape, ArchiveCounts* counts) {
    Skeleton skeleton;
    AngleTable angles;
    for (int i = 0; i < shape.bones; ++i) {
        Bone bone;
        // Bone i hangs below bone i - kChains (id i - kChains + 1): the tree is as deep as a
        // limb, not as the bone count.
        bone.parent = static_cast<uint16_t>(i < kChains ? 0 : i - kChains + 1);
        bone.length = static_cast<int16_t>(kRings - 1);
        bone.mesh = tubeMesh(i, shape.polygonsPerBone, counts);
        skeleton.bones.push_back(std::move(bone));
        // The first bone of a chain sets its direction, the others curl it, half the chains
        // one way and half the other (angles in 1/65535 of a turn).
        const int chain = i % kChains;
        const int curl = chain % 2 ? 1 : -1;
        angles.angles.push_back(static_cast<int16_t>(
            i < kChains ? (chain - kChains / 2) * 1200 : curl * (3000 + 150 * (chain / 2))));
    }
    const std::vector<TimImage> images = {makeImage(16, 128, 2, 1), makeImage(32, 256, 1, 2),
                                          makeImage(8, 32, 7, 3), makeFullPageImage()};
    if (counts) {
        counts->bones = static_cast<size_t>(shape.bones);
        counts->images = images.size();
    }
    return buildModelArchive(skeleton, angles, images);
}

namespace {

Bytes meshlessTree(int boneCount, bool chain) {
    Skeleton skeleton;
    AngleTable angles;
    for (int i = 0; i < boneCount; ++i) {
        Bone bone;
        bone.parent = static_cast<uint16_t>(chain ? i : 0);
        bone.length = 1;
        skeleton.bones.push_back(bone);
        angles.angles.push_back(static_cast<int16_t>(i * 37));
    }
    return buildModelArchive(skeleton, angles);
}

}  // namespace

Bytes makeWideTreeArchive(int boneCount) {
    return meshlessTree(boneCount, false);
}

Bytes makeDeepTreeArchive(int boneCount) {
    return meshlessTree(boneCount, true);
}

TimImage makeFullPageImage() {
    return makeImage(64, 64, 4, 4);
}

std::string scratchPath(const std::string& name) {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/veldraxis-bench-" +
           std::to_string(getpid()) + "-" + name;
}
