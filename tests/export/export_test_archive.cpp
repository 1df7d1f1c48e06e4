#include "export_test_archive.h"

using namespace archive_builder;

namespace {

// The four corners of a square of the given side at height y, from (x, z) towards +x and -z;
// returns the first one's index.
uint16_t addSquareCorners(MeshBlock& mesh, int16_t x, int16_t y, int16_t z, int16_t side) {
    const auto base = static_cast<uint16_t>(mesh.vertices.size());
    const auto farX = static_cast<int16_t>(x + side), farZ = static_cast<int16_t>(z - side);
    mesh.vertices.push_back({x, y, z, 0});
    mesh.vertices.push_back({x, y, farZ, 0});
    mesh.vertices.push_back({farX, y, z, 0});
    mesh.vertices.push_back({farX, y, farZ, 0});
    return base;
}

// A shaded triangle and quad around (x, z) in the y = 0 plane, drawn clockwise on the main
// view's screen (right +x, up -z), so the viewer shows them.
void addShaded(MeshBlock& mesh, int16_t x, int16_t z) {
    const uint16_t base = addSquareCorners(mesh, x, 0, z, 10);
    mesh.shadedTriangles.push_back({{vref(base), vref(base + 1), vref(base + 2)},
                                    {RGB{255, 0, 0}, RGB{0, 255, 0}, RGB{0, 0, 255}}});
    // File corners 0, 1, 3, 2 make the outline.
    mesh.shadedQuads.push_back(
        {{vref(base), vref(base + 1), vref(base + 2), vref(base + 3)},
         {RGB{200, 100, 50}, RGB{10, 20, 30}, RGB{128, 128, 128}, RGB{255, 255, 255}}});
}

void addTextured(MeshBlock& mesh, int16_t x, int16_t z) {
    const uint16_t base = addSquareCorners(mesh, x, 5, z, 20);
    mesh.texturedTriangles.push_back(
        {{vref(base), vref(base + 1), vref(base + 2)}, {UV{0, 0}, UV{0, 15}, UV{15, 0}}, 0});
    // Row offset 16 picks the second palette's copy; v 250 + 16 reaches past the page.
    mesh.texturedQuads.push_back({{vref(base), vref(base + 1), vref(base + 2), vref(base + 3)},
                                  {UV{0, 0}, UV{0, 250}, UV{15, 0}, UV{15, 15}},
                                  16});
}

TimImage texture() {
    TimImage image;
    image.paletteCount = 2;
    image.palettes.assign(32, 0);
    for (int k = 1; k < 16; ++k) {
        image.palettes[k] = rgb15(static_cast<uint8_t>(2 * k), 31, static_cast<uint8_t>(k));
        image.palettes[16 + k] = rgb15(31, static_cast<uint8_t>(2 * k), 3);
    }
    image.widthUnits = 4;  // 16 pixels
    image.height = 16;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) image.setIndex(x, y, static_cast<uint8_t>((x + y) % 16));
    }
    return image;
}

}  // namespace

Bytes buildExportTestArchive() {
    Skeleton skeleton;
    MeshBlock spine, head, hand, hat, stray, tail;
    addShaded(spine, -5, 0);
    addTextured(head, -10, -10);
    addShaded(head, 20, -5);
    addShaded(hand, 100, 0);
    addTextured(hat, 0, 0);
    addShaded(stray, 0, 0);
    addShaded(tail, 0, 40);
    skeleton.bones = {{0, -100, spine, {}}, {1, -50, head, {}}, {1, 0, hand, {}},
                      {2, -30, hat, {}},    {6, 0, stray, {}},  {0, 40, tail, {}}};
    AngleTable angles;
    angles.angles = {0, 0, 3000, -8192, 1000, 4096};
    return buildModelArchive(skeleton, angles, {texture()});
}
