// Makes the program's icon from a picture the viewer itself drew: the bust of the demo model in
// the main view of a `veldraxis-viewer --render` sheet (main view at x 0, 320 x 720), with the
// clear colour and the world axes made transparent.
//   make-icon SHEET.png PREFIX   writes PREFIX-48.png, PREFIX-128.png, PREFIX-256.png, PREFIX.svg

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kViewWidth = 320;
constexpr int kViewHeight = 720;

struct Sheet {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[3 * (static_cast<size_t>(y) * width + x)]; }
};

// The background is the view's corner; the axes are drawn in pure red, green and blue.
bool isModel(const Sheet& sheet, int x, int y) {
    const uint8_t* p = sheet.at(x, y);
    const uint8_t* background = sheet.at(0, 0);
    if (std::equal(p, p + 3, background)) return false;
    const int primaries = (p[0] == 255) + (p[1] == 255) + (p[2] == 255);
    const int zeros = (p[0] == 0) + (p[1] == 0) + (p[2] == 0);
    return !(primaries == 1 && zeros == 2);
}

struct Square {
    int left, top, side;
};

// The head and shoulders: a square as wide as the model, from its top row down.
bool findBust(const Sheet& sheet, Square& square) {
    int left = kViewWidth, right = -1, top = -1;
    for (int y = 0; y < kViewHeight; ++y) {
        for (int x = 0; x < kViewWidth; ++x) {
            if (!isModel(sheet, x, y)) continue;
            if (top < 0) top = y;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    if (top < 0) return false;
    const int width = right - left + 1;
    const int margin = width / 16;
    square = {left - margin, top - margin, width + 2 * margin};
    return true;
}

// Each output pixel averages 4 x 4 samples of the square (alpha-weighted), so the icon keeps
// its edges at every size.
std::vector<uint8_t> drawIcon(const Sheet& sheet, const Square& square, int size) {
    constexpr int kSamples = 4;
    std::vector<uint8_t> rgba(4 * static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int sum[3] = {0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double u = (x + (sx + 0.5) / kSamples) / size;
                    const double v = (y + (sy + 0.5) / kSamples) / size;
                    const int px = square.left + static_cast<int>(u * square.side);
                    const int py = square.top + static_cast<int>(v * square.side);
                    if (px < 0 || py < 0 || px >= kViewWidth || py >= kViewHeight) continue;
                    if (!isModel(sheet, px, py)) continue;
                    const uint8_t* p = sheet.at(px, py);
                    for (int k = 0; k < 3; ++k) sum[k] += p[k];
                    ++covered;
                }
            }
            uint8_t* out = &rgba[4 * (static_cast<size_t>(y) * size + x)];
            for (int k = 0; k < 3; ++k)
                out[k] = covered ? static_cast<uint8_t>(sum[k] / covered) : 0;
            out[3] = static_cast<uint8_t>(255 * covered / (kSamples * kSamples));
        }
    }
    return rgba;
}

void appendBytes(void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

std::string base64(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t count = std::min<size_t>(3, bytes.size() - i);
        uint32_t group = 0;
        for (size_t k = 0; k < 3; ++k) group = group << 8 | (k < count ? bytes[i + k] : 0);
        for (size_t k = 0; k < 4; ++k)
            text += k <= count ? kDigits[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return text;
}

bool writeFile(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SHEET.png PREFIX\n", argv[0]);
        return 2;
    }
    Sheet sheet;
    int channels = 0;
    uint8_t* pixels = stbi_load(argv[1], &sheet.width, &sheet.height, &channels, 3);
    if (!pixels || sheet.width < kViewWidth || sheet.height < kViewHeight) {
        std::fprintf(stderr, "%s: not a picture of the three views\n", argv[1]);
        stbi_image_free(pixels);
        return 1;
    }
    sheet.rgb.assign(pixels, pixels + 3 * static_cast<size_t>(sheet.width) * sheet.height);
    stbi_image_free(pixels);
    Square square{};
    if (!findBust(sheet, square)) {
        std::fprintf(stderr, "%s: the main view shows no model\n", argv[1]);
        return 1;
    }
    const std::string prefix = argv[2];
    std::vector<uint8_t> largest;
    for (const int size : {48, 128, 256}) {
        std::vector<uint8_t> png;
        const std::vector<uint8_t> rgba = drawIcon(sheet, square, size);
        if (!stbi_write_png_to_func(appendBytes, &png, size, size, 4, rgba.data(), 4 * size)) {
            std::fprintf(stderr, "cannot encode the %d px icon\n", size);
            return 1;
        }
        const std::string path = prefix + "-" + std::to_string(size) + ".png";
        if (!writeFile(path, std::string(png.begin(), png.end()))) {
            std::fprintf(stderr, "%s cannot be written\n", path.c_str());
            return 1;
        }
        largest = png;
    }
    // The scalable icon carries the largest picture; desktops scale it smoothly.
    const std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        "width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
        "  <title>Veldraxis Viewer</title>\n"
        "  <image width=\"256\" height=\"256\" xlink:href=\"data:image/png;base64," +
        base64(largest) + "\"/>\n</svg>\n";
    if (!writeFile(prefix + ".svg", svg)) {
        std::fprintf(stderr, "%s.svg cannot be written\n", prefix.c_str());
        return 1;
    }
    return 0;
}
