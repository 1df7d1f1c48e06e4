// Writes the archives the headless-mode tests run on, into the folder given, with what each
// must yield:
//   quad.bin       one bone carrying one flat magenta quad, centred at world (-90, -90, -90)
//                  in the plane x + y - z = -90, so that all three views see it; both windings,
//                  so the views' face culling keeps one
//   textured.bin   three bones of every polygon kind, the third hung under a later bone (left
//                  out of the tree); two images, the second overwriting part of the first
//   textured.expect.json   what the builder put into textured.bin: bones and images
//   textured.page.rgba     the texture page the core decodes from textured.bin
//   ell.bin        one bone carrying an orange L in the plane y = 0, both windings, its edges on
//                  whole units: the bar x -60..-20, z -80..80, the foot x -20..60, z 40..80
//   ell-a.pose, ell-b.pose, ell-c.pose   ell.bin as loaded, then with the bone tipped about x,
//                  then tipped as far again
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "archive/archive.h"
#include "archive_builder.h"
#include "document/document.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/pose_file.h"
#include "texture/texture_page.h"

using namespace archive_builder;

namespace {

archive_builder::MeshBlock tiltedQuad() {
    // Centre c = (-90, -90, -90), corners c ± u ± v with u = (30, -30, 0), v = (30, 30, 60).
    archive_builder::MeshBlock mesh;
    mesh.vertices = {
        {-150, -90, -150, 0}, {-90, -150, -150, 0}, {-30, -90, -30, 0}, {-90, -30, -30, 0}};
    const RGB magenta{255, 0, 255};
    const std::array<RGB, 4> colours{magenta, magenta, magenta, magenta};
    // File corners 0, 1, 3, 2 go round the quad; the second record goes the other way round.
    mesh.shadedQuads.push_back({{vref(0), vref(1), vref(3), vref(2)}, colours});
    mesh.shadedQuads.push_back({{vref(0), vref(3), vref(1), vref(2)}, colours});
    return mesh;
}

bool write(const std::string& path, const Bytes& bytes) {
    if (writeFile(path, bytes)) return true;
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
}

// The rectangle x0..x1, z0..z1 in the plane y = 0, seen from both sides.
void addTwoSidedRectangle(archive_builder::MeshBlock& mesh, int16_t x0, int16_t z0, int16_t x1,
                          int16_t z1) {
    const uint16_t first = static_cast<uint16_t>(mesh.vertices.size());
    mesh.vertices.insert(mesh.vertices.end(),
                         {{x0, 0, z0, 0}, {x1, 0, z0, 0}, {x0, 0, z1, 0}, {x1, 0, z1, 0}});
    const RGB orange{200, 100, 0};
    const auto v = [first](int k) { return vref(static_cast<uint16_t>(first + k)); };
    mesh.shadedQuads.push_back({{v(0), v(1), v(2), v(3)}, {orange, orange, orange, orange}});
    mesh.shadedQuads.push_back({{v(0), v(2), v(1), v(3)}, {orange, orange, orange, orange}});
}

bool writeEll(const std::string& folder) {
    archive_builder::MeshBlock ell;
    addTwoSidedRectangle(ell, -60, -80, -20, 80);
    addTwoSidedRectangle(ell, -20, 40, 60, 80);
    Skeleton skeleton;
    skeleton.bones.push_back({0, 0, ell, {}});
    const Bytes bytes = buildModelArchive(skeleton, AngleTable{0, {0}});
    const Document document = documentFromBytes(Source(), bytes);
    BoneNode& root = *document.model->rootNode();
    if (!write(folder + "/ell.bin", bytes) ||
        !savePoseFile(root, (folder + "/ell-a.pose").c_str()).ok())
        return false;
    root.rotateBone(rotationAboutX(0.8), 1);
    if (!savePoseFile(root, (folder + "/ell-b.pose").c_str()).ok()) return false;
    root.rotateBone(rotationAboutX(0.8), 1);
    return savePoseFile(root, (folder + "/ell-c.pose").c_str()).ok();
}

archive_builder::MeshBlock mixedMesh(size_t texturedTriangles, size_t texturedQuads,
                                     size_t shadedTriangles, size_t shadedQuads) {
    archive_builder::MeshBlock mesh;
    mesh.vertices = {{0, 0, 0, 0}, {40, 0, 0, 0}, {40, 0, 40, 0}, {0, 0, 40, 0}};
    const std::array<uint16_t, 3> tri{vref(0), vref(1), vref(2)};
    const std::array<uint16_t, 4> quad{vref(0), vref(1), vref(3), vref(2)};
    const RGB grey{128, 128, 128};
    for (size_t i = 0; i < texturedTriangles; ++i)
        mesh.texturedTriangles.push_back({tri, {UV{0, 0}, UV{31, 0}, UV{31, 31}}, 0});
    for (size_t i = 0; i < texturedQuads; ++i)
        mesh.texturedQuads.push_back({quad, {UV{0, 0}, UV{31, 0}, UV{0, 31}, UV{31, 31}}, 0});
    for (size_t i = 0; i < shadedTriangles; ++i)
        mesh.shadedTriangles.push_back({tri, {grey, grey, grey}});
    for (size_t i = 0; i < shadedQuads; ++i)
        mesh.shadedQuads.push_back({quad, {grey, grey, grey, grey}});
    return mesh;
}

archive_builder::TimImage image(uint8_t palettes, uint16_t widthUnits, uint16_t height,
                                uint8_t index) {
    archive_builder::TimImage tim;
    tim.paletteCount = palettes;
    tim.widthUnits = widthUnits;
    tim.height = height;
    for (uint8_t p = 0; p < palettes; ++p) {
        for (uint16_t k = 0; k < 16; ++k) tim.palettes.push_back(rgb15(k, 31 - k, p * 8));
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < 4 * widthUnits; ++x) {
            tim.setIndex(x, y, static_cast<uint8_t>((x + y) % 3 == 0 ? 0 : index));
        }
    }
    return tim;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];

    Skeleton quad;
    quad.bones.push_back({0, 0, tiltedQuad(), {}});
    if (!write(folder + "/quad.bin", buildModelArchive(quad, AngleTable{0, {0}}))) return 1;
    if (!writeEll(folder)) return 1;

    Skeleton skeleton;
    skeleton.bones.push_back({0, 120, mixedMesh(2, 1, 3, 0), {}});
    skeleton.bones.push_back({1, -40, mixedMesh(0, 2, 0, 4), {}});
    skeleton.bones.push_back({4, 7, mixedMesh(1, 0, 0, 1), {}});  // parent: a later bone
    const AngleTable angles{0, {0, 16384, -32768}};
    const std::vector<archive_builder::TimImage> images{image(2, 16, 64, 5), image(1, 4, 32, 9)};
    const Bytes bytes = buildModelArchive(skeleton, angles, images);
    if (!write(folder + "/textured.bin", bytes)) return 1;

    nlohmann::ordered_json expect;
    for (size_t i = 0; i < skeleton.bones.size(); ++i) {
        const Bone& bone = skeleton.bones[i];
        const archive_builder::MeshBlock& mesh = *bone.mesh;
        expect["bones"].push_back({{"id", i + 1},
                                   {"parent", bone.parent},
                                   {"length", bone.length},
                                   {"angleRaw", angles.angles[i]},
                                   {"polygons",
                                    {{"texturedTriangles", mesh.texturedTriangles.size()},
                                     {"texturedQuads", mesh.texturedQuads.size()},
                                     {"shadedTriangles", mesh.shadedTriangles.size()},
                                     {"shadedQuads", mesh.shadedQuads.size()}}},
                                   {"inTree", i < 2}});
    }
    for (const archive_builder::TimImage& tim : images) {
        expect["textures"].push_back({{"width", 4 * tim.widthUnits},
                                      {"height", tim.height},
                                      {"palettes", tim.paletteCount}});
    }
    std::ofstream(folder + "/textured.expect.json") << expect.dump(2) << "\n";

    Model model;
    model.texturePage().decodeImages(bytes.data(), parseArchive(bytes));
    const auto& pixels = model.texturePage().pixels;
    return write(folder + "/textured.page.rgba", Bytes(pixels.begin(), pixels.end())) ? 0 : 1;
}
