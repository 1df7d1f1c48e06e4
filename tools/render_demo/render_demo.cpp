// Draws the demo model in the three views, prints how long compiling the lists (with the
// texture upload) and drawing one frame take, and can save the three views side by side at
// half size:   render-demo [--screenshot OUT.png]   (needs a display, e.g. under Xvfb)

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "demo_scene.h"
#include "gl_test_support.h"
#include "image_files.h"
#include "model/model.h"
#include "model/part_mesh.h"

using namespace gltest;

namespace {

// Every 2 x 2 block of the source becomes one pixel of the destination at (left, top).
void pasteHalfSize(const Image& source, Image& dest, int left, int top) {
    for (int y = 0; y < source.height / 2; ++y) {
        for (int x = 0; x < source.width / 2; ++x) {
            for (int k = 0; k < 3; ++k) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        sum += source.rgb[((2 * y + dy) * source.width + 2 * x + dx) * 3 + k];
                    }
                }
                dest.rgb[((top + y) * dest.width + left + x) * 3 + k] =
                    static_cast<uint8_t>(sum / 4);
            }
        }
    }
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const char* screenshot = nullptr;
    if (argc == 3 && std::strcmp(argv[1], "--screenshot") == 0) {
        screenshot = argv[2];
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: %s [--screenshot OUT.png]\n", argv[0]);
        return 2;
    }
    Model model;
    if (!loadDemoModel(model)) {
        std::fprintf(stderr, "render-demo: the demo archive did not load\n");
        return 1;
    }
    const struct {
        ViewIndex view;
        const char* name;
        int width, height;
    } views[] = {
        {ViewMain, "main", 320, 720}, {ViewSide, "side", 320, 720}, {ViewUp, "up", 320, 320}};

    const int gap = 4;
    Image sheet{3 * 160 + 2 * gap, 360, {}};
    sheet.rgb.assign(static_cast<size_t>(sheet.width) * sheet.height * 3, 40);
    size_t polygons = 0;
    for (const PartMesh* part : model.partList()) polygons += part->polygonCount();
    std::printf("demo model: %zu parts, %zu polygons\n", model.partList().size(), polygons);
    for (int i = 0; i < 3; ++i) {
        TestWindow w(views[i].view, model, views[i].width, views[i].height);
        if (i == 0) {
            std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
        }
        w.render();  // the first frame pays for one-time driver work
        constexpr int kFrames = 200;
        const auto start = std::chrono::steady_clock::now();
        for (int f = 0; f < kFrames; ++f) w.render();
        const double frame = secondsSince(start) / kFrames;
        std::printf("%-4s view: prepareWindow (lists + texture) %.3f ms, one frame %.3f ms\n",
                    views[i].name, w.prepareSeconds() * 1e3, frame * 1e3);
        const Image view{views[i].width, views[i].height, w.image()};
        pasteHalfSize(view, sheet, i * (160 + gap), 0);
    }
    if (screenshot && !writePng(screenshot, sheet)) {
        std::fprintf(stderr, "render-demo: cannot write %s\n", screenshot);
        return 1;
    }
    return 0;
}
