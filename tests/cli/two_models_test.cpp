// Models are values: two archives loaded side by side and drawn off-screen, one after the other
// or both resident in one context at once, leave each other alone.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "archive_builder.h"
#include "cli/offscreen_pictures.h"
#include "demo/demo_archive.h"
#include "document/document.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "render/model_drawing.h"
#include "render/views.h"

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

// The main view of the model from its drawing, as a fresh 320 x 720 window shows it.
std::vector<uint8_t> mainViewOf(Model& model, const ModelDrawing& drawing) {
    PictureDescription picture = singleViewPicture(ViewMain, 320, 720);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setUpViewContext(ViewMain);
    applyViewSize(320, 720);
    renderFrame(model, drawing, 0);
    glFinish();
    std::vector<uint8_t> rgb = blankPicture(picture);
    readPlacedView(picture.views[0], 0, 3, 320, rgb);
    return rgb;
}

TEST(TwoModels, BothResidentInOneContextDrawAsEachAlone) {
    const ab::Bytes square = oneSquareArchive();
    Document demoDocument = documentFromBytes(
        Source::demo(),
        std::vector<uint8_t>(demoArchiveData(), demoArchiveData() + demoArchiveSize()));
    Document otherDocument = documentFromBytes(Source(), square);
    Model& demo = *demoDocument.model;
    Model& other = *otherDocument.model;
    showAllParts(demo);
    showAllParts(other);
    OffscreenDisplay display;
    const Result<> opened = display.open();
    ASSERT_TRUE(opened.ok()) << opened.message;
    const OffscreenContext context(display, 320, 720);
    const Result<> ready = context.ready();
    ASSERT_TRUE(ready.ok()) << ready.message;

    std::vector<uint8_t> demoAlone, otherAlone;
    {
        const ModelDrawing drawing(demo);
        demoAlone = mainViewOf(demo, drawing);
    }
    {
        const ModelDrawing drawing(other);
        otherAlone = mainViewOf(other, drawing);
    }
    ASSERT_NE(demoAlone, otherAlone);

    auto otherDrawing = std::make_unique<ModelDrawing>(other);
    const ModelDrawing demoDrawing(demo);
    // No name of one drawing is the other's.
    EXPECT_NE(demoDrawing.pageTexture(), otherDrawing->pageTexture());
    EXPECT_NE(demoDrawing.axesList(), otherDrawing->axesList());
    EXPECT_EQ(mainViewOf(demo, demoDrawing), demoAlone);
    EXPECT_EQ(mainViewOf(other, *otherDrawing), otherAlone);
    EXPECT_EQ(mainViewOf(demo, demoDrawing), demoAlone);
    // Freeing one leaves the other whole.
    otherDrawing.reset();
    EXPECT_EQ(mainViewOf(demo, demoDrawing), demoAlone);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
