// Models are values: two archives loaded side by side and drawn off-screen one after the other
// leave each other alone.
#include <gtest/gtest.h>

#include <string>

#include "archive_builder.h"
#include "cli/offscreen_context.h"
#include "cli/view_sheet.h"
#include "demo_archive.h"
#include "model/model.h"
#include "model/model_loading.h"
#include "model/part_mesh.h"

namespace {

namespace ab = archive_builder;

ab::Bytes oneSquareArchive() {
    ab::MeshBlock square;
    square.vertices = {{-80, 0, -80, 0}, {80, 0, -80, 0}, {-80, 0, 80, 0}, {80, 0, 80, 0}};
    square.shadedQuads.push_back({{ab::vref(0), ab::vref(1), ab::vref(2), ab::vref(3)}, {}});
    ab::Skeleton skeleton;
    skeleton.bones.push_back({0, 0, square, {}});
    return ab::buildModelArchive(skeleton, ab::AngleTable{0, {0}});
}

void showAllParts(Model& model) {
    for (PartMesh* part : model.partList()) part->setVisible(1);
}

TEST(TwoModels, LoadSideBySideAndDrawOneAfterTheOther) {
    const ab::Bytes square = oneSquareArchive();
    Model demo, other;
    loadModelFromBytes(demo, demoArchiveData(), demoArchiveSize(), true);
    const size_t demoBones = demo.boneCount();
    loadModelFromBytes(other, square.data(), square.size(), true);
    EXPECT_EQ(demo.boneCount(), demoBones);
    EXPECT_EQ(other.boneCount(), 1u);
    showAllParts(demo);
    showAllParts(other);

    OffscreenDisplay display;
    std::string error;
    ASSERT_TRUE(display.open(error)) << error;
    ViewSheet first, second, again;
    ASSERT_TRUE(drawViewSheet(display, demo, first, error)) << error;
    ASSERT_TRUE(drawViewSheet(display, other, second, error)) << error;
    ASSERT_TRUE(drawViewSheet(display, demo, again, error)) << error;
    EXPECT_NE(first.rgb, second.rgb);
    EXPECT_EQ(first.rgb, again.rgb);
}

}  // namespace
