// The demo model in the three views against stored images.
//
// To regenerate the baselines after an intended change of the picture, run
//   VELDRAXIS_UPDATE_BASELINES=1 ctest --test-dir <build> -R render_baselines
// and look at tests/render/baselines/*.png before committing them. A failing comparison writes
// the rendered image and a difference image (red where pixels differ) to
// <build>/tests/render/baseline-output/.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "demo_scene.h"
#include "gl_test_support.h"
#include "image_files.h"
#include "model/model.h"

using namespace gltest;

namespace {

// Rasterisers may place an edge pixel differently; a real change of the picture (a part, a
// texture, a view direction) moves far more pixels than this.
constexpr int kChannelTolerance = 24;
constexpr double kMaxDifferingShare = 0.002;

struct ViewCase {
    ViewIndex view;
    const char* name;
    int width, height;
};

class DemoBaseline : public ::testing::TestWithParam<ViewCase> {};

}  // namespace

TEST_P(DemoBaseline, MatchesTheStoredImage) {
    const ViewCase& c = GetParam();
    Model model;
    ASSERT_TRUE(loadDemoModel(model));
    TestWindow w(c.view, model, c.width, c.height);
    w.render();
    const Image rendered{c.width, c.height, w.image()};

    const std::string baselinePath =
        std::string(VELDRAXIS_BASELINE_DIR) + "/demo-" + c.name + ".png";
    if (std::getenv("VELDRAXIS_UPDATE_BASELINES")) {
        ASSERT_TRUE(writePng(baselinePath, rendered)) << baselinePath;
        std::printf("baseline written: %s\n", baselinePath.c_str());
        return;
    }
    Image baseline;
    ASSERT_TRUE(readPng(baselinePath, baseline))
        << "no baseline " << baselinePath << "; create it with VELDRAXIS_UPDATE_BASELINES=1";
    const Comparison result = compareImages(rendered, baseline, kChannelTolerance);
    const size_t allowed =
        static_cast<size_t>(kMaxDifferingShare * static_cast<double>(c.width) * c.height);
    if (result.sameSize && result.differingPixels <= allowed) return;

    const std::filesystem::path out(VELDRAXIS_RENDER_OUTPUT_DIR);
    std::filesystem::create_directories(out);
    const std::string stem = (out / (std::string("demo-") + c.name)).string();
    writePng(stem + ".rendered.png", rendered);
    if (result.sameSize) writePng(stem + ".diff.png", result.difference);
    FAIL() << c.name << " view: " << result.differingPixels << " pixels differ (allowed " << allowed
           << ", size match " << result.sameSize << "); see " << stem << ".rendered.png and "
           << stem << ".diff.png";
}

INSTANTIATE_TEST_SUITE_P(ThreeViews, DemoBaseline,
                         ::testing::Values(ViewCase{ViewMain, "main", 320, 720},
                                           ViewCase{ViewSide, "side", 320, 720},
                                           ViewCase{ViewUp, "up", 320, 320}),
                         [](const auto& info) { return std::string(info.param.name); });
