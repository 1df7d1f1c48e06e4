#include "demo_texture.h"

#include <cmath>
#include <cstdlib>

namespace demo {

using archive_builder::rgb15;

namespace {

// Palette slots shared by every palette: 0 transparent, 1 outline, 2..4 base dark to light,
// 5..6 accent, 7 highlight.
constexpr uint8_t kClear = 0, kOutline = 1, kBaseDark = 2, kBase = 3, kBaseLight = 4, kAccent = 5,
                  kAccentLight = 6, kHighlight = 7;

uint16_t colour(int r, int g, int b) {
    return rgb15(static_cast<uint8_t>(r >> 3), static_cast<uint8_t>(g >> 3),
                 static_cast<uint8_t>(b >> 3));
}

// Slot 0 is a loud magenta: it never shows, because index 0 is transparent.
const uint16_t kPalettes[4][8] = {
    {colour(255, 0, 255), colour(20, 24, 40), colour(70, 84, 110), colour(120, 140, 170),
     colour(180, 195, 215), colour(40, 120, 160), colour(90, 190, 230), colour(240, 250, 255)},
    {colour(255, 0, 255), colour(60, 30, 10), colour(150, 100, 30), colour(200, 150, 50),
     colour(240, 210, 110), colour(170, 60, 20), colour(240, 140, 40), colour(255, 245, 200)},
    {colour(255, 0, 255), colour(40, 10, 15), colour(120, 20, 30), colour(170, 35, 45),
     colour(220, 90, 90), colour(200, 160, 40), colour(250, 220, 90), colour(255, 250, 230)},
    {colour(255, 0, 255), colour(10, 35, 20), colour(20, 90, 50), colour(40, 140, 80),
     colour(110, 200, 130), colour(150, 110, 40), colour(220, 180, 80), colour(250, 240, 200)}};

uint8_t emblem(int x, int y) {
    const int d = std::abs(2 * x - 31) + std::abs(2 * y - 31);  // doubled diamond distance
    if (d > 30) return kClear;
    if (d > 25) return kOutline;
    if (d < 9) return kHighlight;
    if (d < 17) return kAccentLight;
    return (x + y) % 4 < 2 ? kAccent : kBase;
}

uint8_t visor(int x, int y) {
    if (y >= 11 && y <= 14 && x >= 4 && x <= 27 && !(x >= 15 && x <= 16)) return kClear;
    if (x < 2 || x > 29 || y < 2 || y > 29) return kOutline;
    if ((x == 4 || x == 27) && (y == 4 || y == 27)) return kHighlight;  // rivets
    if (x >= 15 && x <= 16 && y >= 7 && y <= 23) return kBaseLight;     // nose guard
    if (y >= 19 && y <= 25 && x >= 8 && x <= 23 && x % 3 == 1 && y % 3 == 1) return kOutline;
    if (y < 6) return kBaseLight;
    return y < 18 ? kBase : kBaseDark;
}

uint8_t belt(int x, int y) {
    if (y < 2 || y > 13) return kOutline;
    if (x >= 12 && x <= 19) {
        if (x >= 14 && x <= 17 && y >= 5 && y <= 10) return kClear;  // the buckle's hole
        return kHighlight;
    }
    return ((x + (y < 8 ? y : 15 - y)) / 3) % 2 ? kAccent : kAccentLight;
}

uint8_t feather(int x, int y) {
    const int band = (2 * x + y) % 9;
    if (band == 0) return kClear;
    if (y > 13) return (x % 3 == 0) ? kClear : kBaseDark;
    return band < 4 ? kAccentLight : (band < 7 ? kBase : kBaseLight);
}

uint8_t shield(int x, int y) {
    const float dx = x - 15.5f, dy = y - 15.5f;
    const float r = std::sqrt(dx * dx + dy * dy);
    if (r > 15.6f) return kClear;
    if (r > 14.0f) return kOutline;
    if (r > 12.5f) return kAccentLight;
    if (r < 3.2f) return kHighlight;
    if (std::fabs(dx) < 2.0f || std::fabs(dy) < 2.0f) return kAccent;
    return (dx < 0) == (dy < 0) ? kBase : kBaseLight;
}

uint8_t texel(int x, int y) {
    if (y < 32) return x < 32 ? emblem(x, y) : visor(x - 32, y);
    if (x >= 32) return shield(x - 32, y - 32);
    return y < 48 ? belt(x, y - 32) : feather(x, y - 48);
}

}  // namespace

archive_builder::TimImage buildDemoTexture() {
    archive_builder::TimImage image;
    image.paletteCount = 4;
    for (const auto& palette : kPalettes) {
        for (int k = 0; k < 16; ++k) image.palettes.push_back(k < 8 ? palette[k] : palette[1]);
    }
    image.widthUnits = 16;  // 64 pixels
    image.height = 64;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) image.setIndex(x, y, texel(x, y));
    }
    return image;
}

}  // namespace demo
