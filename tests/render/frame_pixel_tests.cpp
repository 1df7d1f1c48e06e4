// Pixels read back from real windows after one frame: the clear colour, untextured and textured
// polygons, transparency, visibility, the axes and the drawing's lists.

#include <GL/glut.h>
#include <gtest/gtest.h>

#include "gl_test_support.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "model/polygon.h"
#include "render/model_drawing.h"
#include "render/polygon_drawing.h"

using namespace gltest;

namespace {

constexpr int kWidth = 320, kHeight = 720;

bool anyPixelNear(const TestWindow& w, int x, int y, const Pixel& expected, int radius = 2) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (near(w.pixel(x + dx, y + dy), expected)) return true;
        }
    }
    return false;
}

Pixel at(const TestWindow& w, ViewIndex view, const Vec3& world) {
    const WindowPoint p = project(view, w.width(), w.height(), world);
    return w.pixel(p.x, p.y);
}

}  // namespace

TEST(FramePixels, EmptyModelShowsTheClearColourInEveryFrame) {
    Model model;
    makeFlatModel(model, 0);
    TestWindow w(ViewMain, model, kWidth, kHeight);
    for (int frame = 0; frame < 2; ++frame) {
        w.render();
        EXPECT_TRUE(near(w.pixel(5, 5), kClearPixel)) << describe(w.pixel(5, 5));
        EXPECT_TRUE(near(w.pixel(300, 700), kClearPixel)) << describe(w.pixel(300, 700));
    }
}

TEST(FramePixels, UntexturedPolygonShowsItsVertexColoursAtFullStrength) {
    Model model;
    auto parts = makeFlatModel(model, 2);
    addQuadFacing(*parts[0], ViewMain, Vec3(-60, 0, -100), 40, Color3(1.0f, 0.0f, 0.0f));
    // Per-corner colours: smooth shading runs from one corner to the next.
    PartMesh& shaded = *parts[1];
    shaded.beginPolygon();
    shaded.addColoredVertex(Vec3(20, 0, 60), Color3(1.0f, 1.0f, 0.0f));    // upper left
    shaded.addColoredVertex(Vec3(100, 0, 60), Color3(0.0f, 1.0f, 1.0f));   // upper right
    shaded.addColoredVertex(Vec3(100, 0, 140), Color3(0.0f, 0.0f, 1.0f));  // lower right
    shaded.addColoredVertex(Vec3(20, 0, 140), Color3(1.0f, 0.0f, 1.0f));   // lower left
    shaded.endPolygon();
    TestWindow w(ViewMain, model, kWidth, kHeight);
    // The second frame clears to alpha 0; without alpha planes that changes nothing.
    for (int frame = 0; frame < 2; ++frame) {
        w.render();
        EXPECT_TRUE(near(at(w, ViewMain, Vec3(-60, 0, -100)), {255, 0, 0}))
            << describe(at(w, ViewMain, Vec3(-60, 0, -100)));
        EXPECT_TRUE(near(at(w, ViewMain, Vec3(21.5f, 0, 61.5f)), {255, 255, 0}, 12));
        EXPECT_TRUE(near(at(w, ViewMain, Vec3(98.5f, 0, 61.5f)), {0, 255, 255}, 12));
        EXPECT_TRUE(near(at(w, ViewMain, Vec3(98.5f, 0, 138.5f)), {0, 0, 255}, 12));
        EXPECT_TRUE(near(at(w, ViewMain, Vec3(21.5f, 0, 138.5f)), {255, 0, 255}, 12));
    }
    // The display handler's frame ends on the front buffer.
    drawFrame(model, w.drawing(), selectedBone);
    glFinish();
    const WindowPoint p = project(ViewMain, kWidth, kHeight, Vec3(-60, 0, -100));
    EXPECT_TRUE(near(w.frontPixel(p.x, p.y), {255, 0, 0})) << describe(w.frontPixel(p.x, p.y));
    EXPECT_TRUE(near(w.frontPixel(5, 5), kClearPixel));
}

TEST(FramePixels, PolygonsWithCollinearLeadCornersOrShortListsAreSafe) {
    Model model;
    auto parts = makeFlatModel(model, 1);
    TestWindow w(ViewMain, model, kWidth, kHeight);
    // The first three corners on one line: the polygon still draws, with a finite normal.
    Polygon collinear;
    for (Vec3 p : {Vec3(-40, 0, -140), Vec3(0, 0, -140), Vec3(40, 0, -140), Vec3(0, 0, -60)}) {
        collinear.pushColoredVertex(p, Color3(0.0f, 1.0f, 0.0f));
    }
    // Fewer colours than corners: skipped rather than read past the colour list.
    Polygon short_;
    short_.positions = {Vec3(60, 0, 60), Vec3(120, 0, 60), Vec3(120, 0, 120)};
    short_.colors = {Color3(1.0f, 0.0f, 0.0f)};
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glNormal3f(7, 7, 7);
    drawPolygon(collinear, 0);
    GLfloat normal[3] = {0, 0, 0};
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    drawPolygon(short_, 0);
    glFinish();
    EXPECT_EQ(normal[0], 0.0f);
    EXPECT_EQ(normal[1], 0.0f);
    EXPECT_EQ(normal[2], 1.0f);
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(0, 0, -120)), {0, 255, 0}));
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(110, 0, 75)), kClearPixel));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(FramePixels, TexturedPolygonShowsItsTexels) {
    Model model;
    fillTexels(model, 0, 0, 16, 16, {200, 40, 90, 255});
    fillTexels(model, 16, 0, 32, 16, {30, 160, 60, 255});
    auto parts = makeFlatModel(model, 1);
    addTexturedQuadFacingMain(*parts[0], Vec3(0, 0, -100), 64, 0, 0, 32, 16);
    TestWindow w(ViewMain, model, kWidth, kHeight);
    w.render();
    // Left half of the quad shows texels 0..15, the right half 16..31, untinted.
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(-32, 0, -100)), {200, 40, 90}))
        << describe(at(w, ViewMain, Vec3(-32, 0, -100)));
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(32, 0, -100)), {30, 160, 60}))
        << describe(at(w, ViewMain, Vec3(32, 0, -100)));
}

TEST(FramePixels, TexturedFaceLyingOnAShadedFaceIsDrawnOverIt) {
    Model model;
    fillTexels(model, 0, 0, 16, 16, {200, 40, 90, 255});
    auto parts = makeFlatModel(model, 1);
    addQuadFacing(*parts[0], ViewMain, Vec3(0, 0, -100), 40, Color3(0.0f, 1.0f, 0.0f));
    addTexturedQuadFacingMain(*parts[0], Vec3(0, 0, -100), 40, 0, 0, 16, 16);
    TestWindow w(ViewMain, model, kWidth, kHeight);
    w.render();
    for (const Vec3& p : {Vec3(0, 0, -100), Vec3(-35, 0, -135), Vec3(35, 0, -65)}) {
        EXPECT_TRUE(near(at(w, ViewMain, p), {200, 40, 90})) << describe(at(w, ViewMain, p));
    }
}

TEST(FramePixels, TransparentTexelsShowWhatLiesBehindAndStillHideLaterPolygons) {
    Model model;
    fillTexels(model, 0, 0, 16, 16, {255, 0, 255, 0});  // index 0: alpha 0
    fillTexels(model, 16, 0, 32, 16, {250, 250, 250, 255});
    auto parts = makeFlatModel(model, 2);
    // An untextured green square behind the left end of a half-transparent textured strip.
    addQuadFacing(*parts[0], ViewMain, Vec3(-110, -50, -100), 20, Color3(0.0f, 1.0f, 0.0f));
    PartMesh& strip = *parts[0];
    strip.beginPolygon();
    strip.addTexturedVertex(Vec3(-140, 0, -130), 0, 0);
    strip.addTexturedVertex(Vec3(100, 0, -130), 32, 0);
    strip.addTexturedVertex(Vec3(100, 0, -70), 32, 16);
    strip.addTexturedVertex(Vec3(-140, 0, -70), 0, 16);
    strip.endPolygon();
    // A red textured square drawn later, farther away, behind the transparent texels.
    fillTexels(model, 32, 0, 48, 16, {255, 0, 0, 255});
    addTexturedQuadFacingMain(*parts[1], Vec3(-45, -80, -100), 15, 32, 0, 48, 16);
    TestWindow w(ViewMain, model, kWidth, kHeight);
    w.render();
    // The strip's left half (x -140..-20) is transparent, its right half opaque.
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(-110, 0, -100)), {0, 255, 0}))
        << describe(at(w, ViewMain, Vec3(-110, 0, -100)));
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(-80, 0, -100)), kClearPixel));
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(60, 0, -100)), {250, 250, 250}));
    // Transparent texels still write depth, so the farther red square stays hidden.
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(-45, 0, -100)), kClearPixel))
        << describe(at(w, ViewMain, Vec3(-45, 0, -100)));
}

TEST(FramePixels, HiddenPartDrawsNothingAndItsSelectedAxesStillShow) {
    Model model;
    auto parts = makeFlatModel(model, 2);
    addQuadFacing(*parts[0], ViewMain, Vec3(-60, 0, -100), 40, Color3(1.0f, 1.0f, 0.0f));
    addQuadFacing(*parts[1], ViewMain, Vec3(0, 0, 0), 40, Color3(1.0f, 1.0f, 0.0f));
    parts[0]->setVisible(0);
    parts[1]->setVisible(0);
    // Bone 2 carries part 1; its frame is moved so that its axes stand apart from the world's.
    BoneNode* bone2 = model.rootNode()->children[1];
    bone2->applyUserMatrix(translationMatrix(-100.5f, 0.0f, 200.5f));
    selectedBone = 2;
    TestWindow w(ViewMain, model, kWidth, kHeight);
    w.render();
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(-60, 0, -100)), kClearPixel));
    EXPECT_FALSE(parts[0]->isSelected());
    EXPECT_TRUE(parts[1]->isSelected());
    // The part's red X axis runs to the right of its origin, its blue Z axis downwards.
    const WindowPoint origin = project(ViewMain, kWidth, kHeight, Vec3(-100, 0, 200));
    EXPECT_TRUE(anyPixelNear(w, origin.x + 50, origin.y, {255, 0, 0}));
    EXPECT_TRUE(anyPixelNear(w, origin.x, origin.y - 100, {0, 0, 255}));
    // Its polygons stay hidden: the part's quad would cover this point.
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(-85, 0, 215)), kClearPixel));
}

TEST(FramePixels, WorldAxesAreDrawnAtTheOriginInEveryView) {
    Model model;
    makeFlatModel(model, 0);
    {
        TestWindow w(ViewMain, model, kWidth, kHeight);
        w.render();
        const WindowPoint o = project(ViewMain, kWidth, kHeight, Vec3(0, 0, 0));
        EXPECT_TRUE(anyPixelNear(w, o.x + 150, o.y, {255, 0, 0}));  // +X to the right
        EXPECT_TRUE(anyPixelNear(w, o.x, o.y - 150, {0, 0, 255}));  // +Z downwards
        EXPECT_TRUE(near(w.pixel(o.x - 100, o.y), kClearPixel));
        EXPECT_TRUE(near(w.pixel(o.x, o.y - 210), kClearPixel));  // 200 units long
    }
    {
        TestWindow w(ViewUp, model, 320, 320);
        w.render();
        EXPECT_TRUE(anyPixelNear(w, 160 + 120, 160, {255, 0, 0}));  // +X to the right
        EXPECT_TRUE(anyPixelNear(w, 160, 160 - 120, {0, 255, 0}));  // +Y downwards
    }
}

TEST(FramePixels, SelectingTheWholeModelMarksTheRootAndNoPart) {
    Model model;
    auto parts = makeFlatModel(model, 3);
    selectedBone = 0;
    TestWindow w(ViewMain, model, kWidth, kHeight);
    w.render();
    EXPECT_TRUE(model.rootNode()->mesh->isSelected());
    for (PartMesh* part : parts) EXPECT_FALSE(part->isSelected());
    selectedBone = 3;
    w.render();
    EXPECT_FALSE(model.rootNode()->mesh->isSelected());
    EXPECT_TRUE(parts[2]->isSelected());
    selectedBone = 4;  // beyond the list: nothing is marked, nothing is read out of bounds
    w.render();
    EXPECT_FALSE(model.rootNode()->mesh->isSelected());
    for (PartMesh* part : parts) EXPECT_FALSE(part->isSelected());
}

TEST(PartDrawing, TwelfthPartDrawsItsOwnTrianglesBesideTheAxes) {
    Model model;
    fillTexels(model, 0, 0, 16, 16, {220, 120, 20, 255});
    auto parts = makeFlatModel(model, 12);
    addTexturedQuadFacingMain(*parts[11], Vec3(-80, 0, -200), 40, 0, 0, 16, 16);
    addQuadFacing(*parts[10], ViewMain, Vec3(80, 0, -200), 40, Color3(0.0f, 1.0f, 0.0f));
    TestWindow w(ViewMain, model, kWidth, kHeight);
    w.render();
    const ModelDrawing& drawing = w.drawing();
    EXPECT_EQ(parts[11]->partIndex, 11);
    ASSERT_NE(drawing.corners(*parts[11]), nullptr);
    EXPECT_EQ(drawing.corners(*parts[11])->texturedCount, 6u);
    EXPECT_EQ(drawing.corners(*parts[11])->shadedFirst, 6u);  // after part 10's quad
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(-80, 0, -200)), {220, 120, 20}))
        << describe(at(w, ViewMain, Vec3(-80, 0, -200)));
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(80, 0, -200)), {0, 255, 0}));
    const WindowPoint o = project(ViewMain, kWidth, kHeight, Vec3(0, 0, 0));
    EXPECT_TRUE(anyPixelNear(w, o.x + 150, o.y, {255, 0, 0}));
}

TEST(PartDrawing, EachPolygonIsDrawnInExactlyOnePass) {
    Model model;
    auto parts = makeFlatModel(model, 2);
    addQuadFacing(*parts[0], ViewMain, Vec3(0, 0, -100), 20, Color3(1.0f, 0.0f, 0.0f));
    addTexturedQuadFacingMain(*parts[0], Vec3(0, 0, 100), 20, 0, 0, 16, 16);
    TestWindow w(ViewMain, model, kWidth, kHeight);
    const ModelDrawing& drawing = w.drawing();
    EXPECT_EQ(drawing.corners(*parts[0])->shadedCount, 6u);
    EXPECT_EQ(drawing.corners(*parts[0])->texturedCount, 6u);
    EXPECT_EQ(drawing.corners(*parts[1])->shadedCount, 0u);
    EXPECT_EQ(drawing.corners(*parts[1])->texturedCount, 0u);
    PartMesh stranger;  // a part the drawing was not built with
    EXPECT_EQ(drawing.corners(stranger), nullptr);
    EXPECT_TRUE(glIsList(drawing.axesList()));
    EXPECT_TRUE(glIsTexture(drawing.pageTexture()));
    EXPECT_TRUE(glIsTexture(drawing.pageAlphaTexture()));
    // Drawing only the textured pass of part 0 draws only the textured quad, and a part without
    // triangles or not of this drawing draws nothing.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    {
        const PassArrays arrays(drawing, true);
        drawing.drawTexturedPart(*parts[0]);
        drawing.drawTexturedPart(*parts[1]);
        drawing.drawTexturedPart(stranger);
    }
    glFinish();
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(0, 0, -100)), kClearPixel));
    EXPECT_FALSE(near(at(w, ViewMain, Vec3(0, 0, 100)), kClearPixel));
    // The pass leaves no array on for the immediate-mode drawing after it.
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(FramePixels, WindowWithAlphaPlanesStillShowsUntexturedColours) {
    Model model;
    auto parts = makeFlatModel(model, 1);
    addQuadFacing(*parts[0], ViewMain, Vec3(0, 0, -100), 40, Color3(1.0f, 0.5f, 0.0f));
    TestWindow w(ViewMain, model, kWidth, kHeight, kViewerDisplayMode | GLUT_ALPHA);
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    if (alphaBits == 0) GTEST_SKIP() << "no visual with alpha planes on this display";
    for (int frame = 0; frame < 3; ++frame) {  // from the second frame on the clear alpha is 0
        w.render();
        EXPECT_TRUE(near(at(w, ViewMain, Vec3(0, 0, -100)), {255, 128, 0}))
            << "frame " << frame << ": " << describe(at(w, ViewMain, Vec3(0, 0, -100)));
        const WindowPoint o = project(ViewMain, kWidth, kHeight, Vec3(0, 0, 0));
        EXPECT_TRUE(anyPixelNear(w, o.x + 150, o.y, {255, 0, 0}));
    }
}
