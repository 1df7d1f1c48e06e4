#include "mesh_maker.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace demo {

using archive_builder::RGB;
using archive_builder::UV;
using archive_builder::vref;

namespace {

constexpr int kTextureRowsPerPalette = 64;

Point sub(Point a, Point b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
float dot(Point a, Point b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Point normalized(Point a) {
    const float length = std::sqrt(dot(a, a));
    return length > 0 ? Point{a.x / length, a.y / length, a.z / length} : Point{0, 0, 0};
}

// Right-handed normal of an outline (Newell's method, robust for slightly bent quads).
template <size_t N>
Point outlineNormal(const std::array<Point, N>& c) {
    Point n;
    for (size_t i = 0; i < N; ++i) {
        const Point& a = c[i];
        const Point& b = c[(i + 1) % N];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n;
}

// A face appears clockwise (and so is kept) from the side its right-handed normal points away
// from. Reverses the outline, and whatever travels with its corners, when it faces the wrong way.
template <size_t N, typename Extra>
void windToBeSeenFrom(std::array<Point, N>& corners, std::array<Extra, N>& extra, Point facing) {
    if (dot(outlineNormal(corners), facing) > 0) {
        std::reverse(corners.begin(), corners.end());
        std::reverse(extra.begin(), extra.end());
    }
}

// The fixed light: from the front, above and the model's left (+X).
float lightFactor(Point outward) {
    static const Point light = normalized({0.45f, 0.7f, -0.55f});
    const float d = std::max(0.0f, dot(normalized(outward), light));
    return 0.55f + 0.45f * d;
}

uint8_t scaled(uint8_t channel, float factor) {
    return static_cast<uint8_t>(std::clamp(std::lround(channel * factor), 0L, 255L));
}
RGB shade(RGB c, float factor) {
    return {scaled(c.r, factor), scaled(c.g, factor), scaled(c.b, factor)};
}

}  // namespace

uint8_t paletteRowOffset(int palette) {
    return static_cast<uint8_t>(palette * kTextureRowsPerPalette);
}

uint16_t MeshMaker::vertex(const Point& p) {
    archive_builder::Vertex v;
    v.x = static_cast<int16_t>(std::lround(p.x));
    v.y = static_cast<int16_t>(std::lround(p.y));
    v.z = static_cast<int16_t>(std::lround(p.z));
    block_.vertices.push_back(v);
    return vref(static_cast<uint16_t>(block_.vertices.size() - 1));
}

void MeshMaker::solid(const std::array<Point, 8>& c, RGB colour) {
    static const int faces[6][4] = {{0, 2, 6, 4}, {1, 3, 7, 5}, {0, 1, 5, 4},
                                    {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 5, 7, 6}};
    Point centre;
    float zMin = c[0].z, zMax = c[0].z;
    for (const Point& p : c) {
        centre = {centre.x + p.x / 8, centre.y + p.y / 8, centre.z + p.z / 8};
        zMin = std::min(zMin, p.z);
        zMax = std::max(zMax, p.z);
    }
    for (const auto& face : faces) {
        std::array<Point, 4> outline;
        Point faceCentre;
        for (int k = 0; k < 4; ++k) {
            outline[k] = c[face[k]];
            faceCentre = {faceCentre.x + outline[k].x / 4, faceCentre.y + outline[k].y / 4,
                          faceCentre.z + outline[k].z / 4};
        }
        const Point outward = sub(faceCentre, centre);
        const float faceLight = lightFactor(outward);
        std::array<RGB, 4> colours;
        for (int k = 0; k < 4; ++k) {
            // Darker towards the lower end of the solid, for a rounded look.
            const float t = zMax > zMin ? (outline[k].z - zMin) / (zMax - zMin) : 0.0f;
            colours[k] = shade(colour, faceLight * (1.0f - 0.22f * t));
        }
        windToBeSeenFrom(outline, colours, outward);
        archive_builder::ShadedQuad quad;
        // The file stores quads as corners 0, 1, 3, 2 of the outline.
        static const int fileCorner[4] = {0, 1, 3, 2};
        for (int k = 0; k < 4; ++k) {
            quad.v[k] = vertex(outline[fileCorner[k]]);
            quad.rgb[k] = colours[fileCorner[k]];
        }
        block_.shadedQuads.push_back(quad);
    }
}

void MeshMaker::box(float x0, float x1, float y0, float y1, float z0, float z1, RGB colour,
                    float topScaleX) {
    const float zTop = std::min(z0, z1), zBottom = std::max(z0, z1);
    const float mid = (x0 + x1) / 2, half = (x1 - x0) / 2;
    std::array<Point, 8> c;
    for (int i = 0; i < 8; ++i) {
        const int ix = i & 1, iy = (i >> 1) & 1, iz = (i >> 2) & 1;
        const float scale = iz == 0 ? topScaleX : 1.0f;
        c[i] = {mid + (ix ? half : -half) * scale, iy ? y1 : y0, iz ? zBottom : zTop};
    }
    solid(c, colour);
}

void MeshMaker::shadedTriangle(std::array<Point, 3> corners, Point facing,
                               std::array<RGB, 3> colours) {
    const float faceLight = lightFactor(facing);
    for (RGB& c : colours) c = shade(c, faceLight);
    windToBeSeenFrom(corners, colours, facing);
    archive_builder::ShadedTriangle triangle;
    for (int k = 0; k < 3; ++k) {
        triangle.v[k] = vertex(corners[k]);
        triangle.rgb[k] = colours[k];
    }
    block_.shadedTriangles.push_back(triangle);
}

void MeshMaker::shadedQuad(std::array<Point, 4> corners, Point facing, RGB colour) {
    std::array<RGB, 4> colours;
    colours.fill(shade(colour, lightFactor(facing)));
    windToBeSeenFrom(corners, colours, facing);
    archive_builder::ShadedQuad quad;
    static const int fileCorner[4] = {0, 1, 3, 2};
    for (int k = 0; k < 4; ++k) {
        quad.v[k] = vertex(corners[fileCorner[k]]);
        quad.rgb[k] = colours[fileCorner[k]];
    }
    block_.shadedQuads.push_back(quad);
}

void MeshMaker::texturedPanel(std::array<Point, 4> corners, Point facing, Tile tile, int palette) {
    std::array<UV, 4> uv = {UV{tile.u0, tile.v0}, UV{tile.u1, tile.v0}, UV{tile.u1, tile.v1},
                            UV{tile.u0, tile.v1}};
    windToBeSeenFrom(corners, uv, facing);
    archive_builder::TexturedQuad quad;
    static const int fileCorner[4] = {0, 1, 3, 2};
    for (int k = 0; k < 4; ++k) {
        quad.v[k] = vertex(corners[fileCorner[k]]);
        quad.uv[k] = uv[fileCorner[k]];
    }
    quad.rowOffset = paletteRowOffset(palette);
    block_.texturedQuads.push_back(quad);
}

void MeshMaker::texturedTriangle(std::array<Point, 3> corners, std::array<UV, 3> uv, Point facing,
                                 int palette) {
    windToBeSeenFrom(corners, uv, facing);
    archive_builder::TexturedTriangle triangle;
    for (int k = 0; k < 3; ++k) {
        triangle.v[k] = vertex(corners[k]);
        triangle.uv[k] = uv[k];
    }
    triangle.rowOffset = paletteRowOffset(palette);
    block_.texturedTriangles.push_back(triangle);
}

}  // namespace demo
