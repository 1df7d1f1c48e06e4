// Writes the archive the end-to-end tests open, then prints the lines the viewer's loaders give
// for it, so that its standard output is exactly the console the viewer must show for it.
//
// Three bones, each with one flat, single-coloured square in the x-z plane (seen from both
// sides, so the views' face culling keeps one of each pair):
//   bone 1 (below the root, length 200): magenta, x -100..-40, z 20..80
//   bone 2 (below bone 1, so its origin is at z 200): yellow, x 40..100, z 0..60 of its own frame
//   bone 3 (below the root): cyan, x -30..30, z -150..-90
// With --bones N instead: N bones below the root, only the last with a part (bone 1's square),
// for a control panel taller than the screen. With --turn: the three bones, bone 3 turned by an
// eighth of a turn by the angle table (the same tree in another pose).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "archive/archive.h"
#include "archive_builder.h"

using namespace archive_builder;

namespace {

// Two triangles per side of the rectangle x0..x1, z0..z1 at y 0, both sides.
archive_builder::MeshBlock square(int16_t x0, int16_t x1, int16_t z0, int16_t z1, RGB colour) {
    archive_builder::MeshBlock mesh;
    mesh.vertices = {{x0, 0, z0, 0}, {x1, 0, z0, 0}, {x1, 0, z1, 0}, {x0, 0, z1, 0}};
    const uint16_t a = vref(0), b = vref(1), c = vref(2), d = vref(3);
    for (auto corners : {std::array<uint16_t, 3>{a, b, c}, std::array<uint16_t, 3>{a, c, d},
                         std::array<uint16_t, 3>{a, c, b}, std::array<uint16_t, 3>{a, d, c}}) {
        mesh.shadedTriangles.push_back({corners, {colour, colour, colour}});
    }
    return mesh;
}

}  // namespace

int main(int argc, char** argv) {
    const bool manyBones = argc == 4 && std::strcmp(argv[1], "--bones") == 0;
    const bool turned = argc == 3 && std::strcmp(argv[1], "--turn") == 0;
    if (argc != 2 && !manyBones && !turned) {
        std::fprintf(stderr, "usage: %s [--bones N | --turn] OUTPUT\n", argv[0]);
        return 2;
    }
    const char* output = argv[argc - 1];
    Skeleton skeleton;
    AngleTable angles;
    if (manyBones) {
        const int count = std::atoi(argv[2]);
        for (int i = 0; i < count; ++i) {
            Bone bone{0, 0, std::nullopt, {}};
            if (i == count - 1) bone.mesh = square(-100, -40, 20, 80, {255, 0, 255});
            skeleton.bones.push_back(bone);
            angles.angles.push_back(0);
        }
    } else {
        skeleton.bones.push_back({0, 200, square(-100, -40, 20, 80, {255, 0, 255}), {}});
        skeleton.bones.push_back({1, 0, square(40, 100, 0, 60, {255, 255, 0}), {}});
        skeleton.bones.push_back({0, 0, square(-30, 30, -150, -90, {0, 255, 255}), {}});
        angles.angles = {0, 0, static_cast<int16_t>(turned ? 8192 : 0)};
    }
    const Bytes bytes = buildModelArchive(skeleton, angles);
    if (!writeFile(output, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", output);
        return 1;
    }

    const ::Archive archive = parseArchive(bytes);
    for (const std::string& line : textureLoaderLines(archive)) std::fputs(line.c_str(), stdout);
    for (const std::string& line : skeletonLoaderLines(archive)) std::fputs(line.c_str(), stdout);
    return 0;
}
