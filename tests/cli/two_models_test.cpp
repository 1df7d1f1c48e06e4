// Models are values: two archives loaded side by side and drawn off-screen one after the other
// leave each other alone.
#include <gtest/gtest.h>

#include <string>

#include "archive_builder.h"
#include "cli/offscreen_pictures.h"
#include "demo/demo_archive.h"
#include "document/document.h"
#include "model/model.h"
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
    const Document demoDocument = documentFromBytes(
        Source::demo(),
        std::vector<uint8_t>(demoArchiveData(), demoArchiveData() + demoArchiveSize()));
    Model& demo = *demoDocument.model;
    const size_t demoBones = demo.boneCount();
    const Document otherDocument = documentFromBytes(Source(), square);
    Model& other = *otherDocument.model;
    EXPECT_EQ(demo.boneCount(), demoBones);
    EXPECT_EQ(other.boneCount(), 1u);
    showAllParts(demo);
    showAllParts(other);

    // One context for all three, as a batch draws them.
    OffscreenPictures pictures(viewSheetPicture());
    const Result<> opened = pictures.open();
    ASSERT_TRUE(opened.ok()) << opened.message;
    PictureDrawing& drawing = pictures.drawing();
    drawing.prepare(demo);
    const std::vector<uint8_t> first = drawing.draw(demo, 0);
    drawing.prepare(other);
    const std::vector<uint8_t> second = drawing.draw(other, 0);
    drawing.prepare(demo);
    EXPECT_NE(first, second);
    EXPECT_EQ(first, drawing.draw(demo, 0));
}

}  // namespace
