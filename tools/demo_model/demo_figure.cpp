#include "demo_figure.h"

#include <cmath>
#include <vector>

#include "demo_texture.h"
#include "mesh_maker.h"

namespace demo {

using archive_builder::Bone;
using archive_builder::RGB;
using archive_builder::UV;

namespace {

const RGB kGunmetal{70, 75, 95};
const RGB kSteelBlue{60, 90, 150};
const RGB kDarkSteel{55, 60, 75};
const RGB kGold{200, 155, 60};
const RGB kLeather{120, 80, 50};
const RGB kBlade{200, 210, 225};
const RGB kCrimson{150, 30, 40};

const Point kFront{0, 1, 0}, kBack{0, -1, 0};

// An angle-table entry: 1/65535 of a turn, about the bone's X axis.
int16_t angleUnits(double radians) {
    return static_cast<int16_t>(std::lround(radians / 6.283184 * 65535.0));
}

MeshMaker pelvis() {
    MeshMaker m;
    m.box(-48, 48, -28, 28, -25, 30, kGunmetal);
    m.texturedPanel({Point{-48, 30, -9}, {48, 30, -9}, {48, 30, 11}, {-48, 30, 11}}, kFront,
                    kBeltTile, PaletteEmerald);
    m.shadedTriangle({Point{-22, 29, 14}, {22, 29, 14}, {0, 29, 44}}, kFront,
                     {kGold, kGold, RGB{120, 80, 20}});
    return m;
}

MeshMaker torso() {
    MeshMaker m;
    m.box(-44, 44, -30, 30, -20, -168, kSteelBlue, 72.0f / 44.0f);
    m.texturedPanel({Point{-34, 32, -140}, {34, 32, -140}, {34, 32, -74}, {-34, 32, -74}}, kFront,
                    kEmblemTile, PaletteGold);
    m.texturedPanel({Point{34, -32, -140}, {-34, -32, -140}, {-34, -32, -74}, {34, -32, -74}},
                    kBack, kEmblemTile, PaletteEmerald);
    // A gorget below the neck.
    m.shadedTriangle({Point{-34, 31, -168}, {34, 31, -168}, {0, 31, -146}}, kFront,
                     {kGold, kGold, RGB{110, 70, 20}});
    return m;
}

MeshMaker head() {
    MeshMaker m;
    m.box(-14, 14, -14, 14, -22, 2, kDarkSteel);
    m.box(-30, 30, -28, 30, -20, -82, kGunmetal);
    // A dark band behind the visor, seen through its transparent eye slit.
    m.shadedQuad({Point{-28, 31, -52}, {28, 31, -52}, {28, 31, -40}, {-28, 31, -40}}, kFront,
                 RGB{15, 10, 20});
    m.texturedPanel({Point{-28, 32, -78}, {28, 32, -78}, {28, 32, -24}, {-28, 32, -24}}, kFront,
                    kVisorTile, PaletteSteel);
    return m;
}

// Feathers on both faces of a thin crest, swept backwards.
MeshMaker crest() {
    MeshMaker m;
    m.box(-3, 3, -30, 24, -12, 2, kCrimson);
    const Point feathers[3][3] = {{{0, 24, -8}, {0, 2, -8}, {0, 6, -60}},
                                  {{0, 4, -8}, {0, -18, -8}, {0, -20, -56}},
                                  {{0, -14, -8}, {0, -32, -8}, {0, -48, -42}}};
    // The fin spans y -50..26 and z -62..-6; it maps onto the feather tile.
    auto uvOf = [](const Point& p) {
        return UV{static_cast<uint8_t>(std::lround((p.y + 50) * 32 / 76)),
                  static_cast<uint8_t>(48 + std::lround((p.z + 62) * 16 / 56))};
    };
    for (float side : {1.0f, -1.0f}) {
        for (const auto& f : feathers) {
            std::array<Point, 3> corners;
            std::array<UV, 3> uv;
            for (int k = 0; k < 3; ++k) {
                corners[k] = {3.5f * side, f[k].y, f[k].z};
                uv[k] = uvOf(f[k]);
            }
            m.texturedTriangle(corners, uv, Point{side, 0, 0}, PaletteCrimson);
        }
    }
    return m;
}

// side +1 for the figure's left arm (at +X), -1 for its right.
MeshMaker upperArm(float side) {
    MeshMaker m;
    const float s = side;
    m.box(60 * s, 104 * s, -32, 32, -16, 24, kGold);
    m.box(68 * s, 96 * s, -15, 15, 20, 118, kSteelBlue);
    for (float y : {1.0f, -1.0f}) {
        m.shadedTriangle({Point{70 * s, y, -16}, {96 * s, y, -16}, {83 * s, y, -48}},
                         Point{0, y, 0}, {kGold, kGold, RGB{255, 240, 200}});
    }
    // A badge on the pad's outer face, upright as seen from that side.
    const float x = 106 * s;
    m.texturedPanel({Point{x, 26 * s, -12}, {x, -26 * s, -12}, {x, -26 * s, 20}, {x, 26 * s, 20}},
                    Point{s, 0, 0}, kEmblemTile, PaletteEmerald);
    return m;
}

MeshMaker forearm(float side) {
    MeshMaker m;
    const float s = side;
    m.box(66 * s, 98 * s, -17, 17, -6, 16, kGold);
    m.box(69 * s, 95 * s, -14, 14, 14, 92, kSteelBlue);
    m.box(71 * s, 93 * s, -12, 12, 92, 116, kLeather);
    m.shadedTriangle({Point{72 * s, 13, 94}, {82 * s, 13, 94}, {76 * s, 13, 112}}, kFront,
                     {kLeather, kLeather, RGB{200, 150, 110}});
    return m;
}

MeshMaker leftForearmWithShield() {
    MeshMaker m = forearm(1);
    m.texturedPanel({Point{104, 48, 0}, {104, -48, 0}, {104, -48, 96}, {104, 48, 96}},
                    Point{1, 0, 0}, kShieldTile, PaletteCrimson);
    return m;
}

MeshMaker rightForearmWithSword() {
    MeshMaker m = forearm(-1);
    m.box(-96, -68, -20, 20, 116, 124, kGold);  // cross-guard
    m.box(-85, -79, -6, 6, 124, 214, kBlade);
    for (float y : {6.5f, -6.5f}) {
        m.shadedTriangle({Point{-85, y, 214}, {-79, y, 214}, {-82, y, 236}}, Point{0, y, 0},
                         {kBlade, kBlade, RGB{255, 255, 255}});
    }
    return m;
}

MeshMaker thigh(float s) {
    MeshMaker m;
    m.box(8 * s, 46 * s, -22, 22, -4, 128, kGunmetal);
    return m;
}

MeshMaker shin(float s) {
    MeshMaker m;
    m.box(10 * s, 44 * s, 14, 30, -14, 18, kGold);  // knee cap
    m.box(12 * s, 42 * s, -18, 18, 8, 126, kSteelBlue);
    return m;
}

MeshMaker foot(float s) {
    MeshMaker m;
    m.box(10 * s, 44 * s, -20, 38, 0, 22, kLeather);
    // A sloped toe cap: a quad on top and a triangle on each side.
    m.shadedQuad({Point{10 * s, 38, 0}, {44 * s, 38, 0}, {44 * s, 62, 22}, {10 * s, 62, 22}},
                 Point{0, 0.7f, -0.7f}, kGold);
    for (float x : {44.0f, 10.0f}) {
        const float outward = x == 44.0f ? s : -s;
        m.shadedTriangle({Point{x * s, 38, 0}, {x * s, 38, 22}, {x * s, 62, 22}},
                         Point{outward, 0, 0}, {kGold, kGold, RGB{120, 80, 20}});
    }
    return m;
}

struct BoneDesign {
    uint16_t parent;  // bone id: 0 the root, p bone p - 1
    int16_t length;
    double angle;  // radians about X
    MeshMaker mesh;
};

}  // namespace

archive_builder::Bytes buildDemoArchive() {
    // Bone ids: the index below plus one.
    const std::vector<BoneDesign> bones = {
        {0, 0, 0.0, pelvis()},                     // 1 pelvis
        {0, -170, 0.0, torso()},                   // 2 torso; neck and shoulders 170 above
        {2, -80, 0.1, head()},                     // 3 head, nodding a little
        {3, 0, -0.25, crest()},                    // 4 crest on top of the head
        {2, 120, -0.25, upperArm(1)},              // 5 left upper arm, swung forwards
        {5, 100, -0.5, leftForearmWithShield()},   // 6 left forearm and shield
        {2, 120, 0.2, upperArm(-1)},               // 7 right upper arm, swung back
        {7, 100, -0.35, rightForearmWithSword()},  // 8 right forearm and sword
        {0, 135, -0.2, thigh(1)},                  // 9 left thigh, stepping forwards
        {9, 130, 0.35, shin(1)},                   // 10 left shin
        {10, 0, -0.15, foot(1)},                   // 11 left foot
        {0, 135, 0.08, thigh(-1)},                 // 12 right thigh
        {12, 130, 0.1, shin(-1)},                  // 13 right shin
        {13, 0, -0.18, foot(-1)},                  // 14 right foot
    };
    archive_builder::Skeleton skeleton;
    archive_builder::AngleTable angles;
    for (const BoneDesign& design : bones) {
        Bone bone;
        bone.parent = design.parent;
        bone.length = design.length;
        bone.mesh = design.mesh.block();
        skeleton.bones.push_back(bone);
        angles.angles.push_back(angleUnits(design.angle));
    }
    return archive_builder::buildModelArchive(skeleton, angles, {buildDemoTexture()});
}

}  // namespace demo
