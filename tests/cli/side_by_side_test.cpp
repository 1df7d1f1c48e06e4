// Two models side by side in one off-screen picture: each half shows its own, both at one zoom,
// and the listed bones carry the outline.
#include "render/side_by_side.h"

#include <gtest/gtest.h>

#include <string>

#include "archive_builder.h"
#include "cli/offscreen_context.h"
#include "document/document.h"
#include "model/model.h"
#include "model/part_mesh.h"

namespace {

namespace ab = archive_builder;

constexpr int kWidth = 960, kHeight = 480, kHalf = kWidth / 2;

// A red square of side 2 x half on bone 1, and a green one half as wide on bone 2 beside it.
ab::Bytes twoSquaresArchive(int16_t half) {
    auto square = [](int16_t x0, int16_t x1, int16_t z0, int16_t z1, ab::RGB rgb) {
        ab::MeshBlock block;
        block.vertices = {{x0, 0, z0, 0}, {x1, 0, z0, 0}, {x0, 0, z1, 0}, {x1, 0, z1, 0}};
        block.shadedQuads.push_back(
            {{ab::vref(0), ab::vref(1), ab::vref(2), ab::vref(3)}, {rgb, rgb, rgb, rgb}});
        return block;
    };
    const int16_t quarter = static_cast<int16_t>(half / 2);
    ab::Skeleton skeleton;
    skeleton.bones.push_back({0, 0, square(-half, half, -half, half, {255, 0, 0}), {}});
    skeleton.bones.push_back(
        {0,
         0,
         square(half, static_cast<int16_t>(half + 2 * quarter), -quarter, quarter, {0, 255, 0}),
         {}});
    return ab::buildModelArchive(skeleton, ab::AngleTable{0, {0, 0}});
}

struct Counts {
    int drawn = 0, outline = 0;  // pixels other than the clear colour; of them, the outline's
    int minX = kWidth, maxX = -1;
};

Counts countHalf(const std::vector<uint8_t>& rgb, int half) {
    Counts counts;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = half * kHalf; x < (half + 1) * kHalf; ++x) {
            const uint8_t* p = &rgb[3 * (static_cast<size_t>(y) * kWidth + x)];
            if (p[0] == 64 && p[1] == 128 && p[2] == 191) continue;
            ++counts.drawn;
            counts.minX = std::min(counts.minX, x);
            counts.maxX = std::max(counts.maxX, x);
            if (p[0] == 255 && p[1] == 255 && p[2] == 0) ++counts.outline;
        }
    }
    return counts;
}

class SideBySide : public ::testing::Test {
  protected:
    void SetUp() override {
        const Result<> opened = display_.open();
        ASSERT_TRUE(opened.ok()) << opened.message;
        context_ = std::make_unique<OffscreenContext>(display_, kWidth, kHeight);
        const Result<> ready = context_->ready();
        ASSERT_TRUE(ready.ok()) << ready.message;
        for (auto [model, half] :
             {std::pair{&small_, int16_t{40}}, std::pair{&large_, int16_t{80}}}) {
            const ab::Bytes archive = twoSquaresArchive(half);
            *model = std::move(*documentFromBytes(Source(), archive).model);
            ASSERT_EQ(model->boneCount(), 2u);
        }
    }

    std::vector<uint8_t> draw(Model& a, const std::vector<int32_t>& outlinedA, Model& b,
                              const std::vector<int32_t>& outlinedB) {
        Result<std::vector<uint8_t>> picture = drawSideBySide(a, outlinedA, b, outlinedB);
        EXPECT_TRUE(picture.ok()) << picture.message;
        return picture.ok() ? std::move(picture).value() : std::vector<uint8_t>();
    }

    OffscreenDisplay display_;
    std::unique_ptr<OffscreenContext> context_;
    Model small_, large_;
};

TEST_F(SideBySide, OneModelTwiceGivesEqualHalvesAndHiddenPartsShowWithoutChangingTheirState) {
    // Parts hidden as an archive opens in the viewer: the picture shows them all anyway.
    const std::vector<uint8_t> rgb = draw(small_, {}, small_, {});
    ASSERT_EQ(rgb.size(), static_cast<size_t>(kWidth) * kHeight * 3);
    EXPECT_GT(countHalf(rgb, 0).drawn, 0);
    EXPECT_EQ(countHalf(rgb, 0).outline, 0);
    for (int y = 0; y < kHeight; ++y) {
        const auto row = rgb.begin() + 3 * y * kWidth;
        ASSERT_TRUE(std::equal(row, row + 3 * kHalf, row + 3 * kHalf)) << "row " << y;
    }
    for (const PartMesh* part : small_.partList()) EXPECT_EQ(part->visible, 0);
}

TEST_F(SideBySide, BothHalvesKeepOneZoomAndOnlyListedBonesAreOutlined) {
    const std::vector<uint8_t> rgb = draw(small_, {}, large_, {2});
    const Counts left = countHalf(rgb, 0), right = countHalf(rgb, 1);
    EXPECT_EQ(left.outline, 0);
    EXPECT_GT(right.outline, 0);
    // The large model, twice the small one, fills its half but for the margin; the small one
    // spans half as many pixels at the same zoom.
    const int leftSpan = left.maxX - left.minX + 1, rightSpan = right.maxX - right.minX + 1;
    EXPECT_NEAR(rightSpan, kHalf - 20, 2);
    EXPECT_NEAR(leftSpan * 2, rightSpan, 4);
    // The whole small model outlined: more of its pixels carry the outline than one bone's.
    const Counts whole = countHalf(draw(small_, {0}, large_, {}), 0);
    const Counts oneBone = countHalf(draw(small_, {1}, large_, {}), 0);
    EXPECT_GT(whole.outline, oneBone.outline);
    EXPECT_GT(oneBone.outline, 0);
}

TEST_F(SideBySide, RefusesASizeItCannotDraw) {
    for (auto [width, height] : {std::pair{1, 480}, std::pair{960, 0}, std::pair{5000, 480}}) {
        const Result<std::vector<uint8_t>> picture =
            drawSideBySide(small_, {}, large_, {}, width, height);
        EXPECT_FALSE(picture.ok());
        EXPECT_EQ(picture.code, 1);
    }
}

}  // namespace
