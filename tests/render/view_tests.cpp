// The three views, their set-up and reshape, and the bone-tree traversals.

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "gl_test_support.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "render/pick_pass.h"
#include "render/view_fitting.h"

using namespace gltest;

namespace {

Pixel at(const TestWindow& w, ViewIndex view, const Vec3& world) {
    const WindowPoint p = project(view, w.width(), w.height(), world);
    return w.pixel(p.x, p.y);
}

std::array<GLfloat, 16> currentMatrix(GLenum which) {
    std::array<GLfloat, 16> m{};
    glGetFloatv(which, m.data());
    return m;
}

const Color3 kRed(1.0f, 0.0f, 0.0f), kGreen(0.0f, 1.0f, 0.0f), kBlue(0.0f, 0.0f, 1.0f),
    kYellow(1.0f, 1.0f, 0.0f);

// One part: a square facing each view, and one off-centre marker per view.
void buildDirectionModel(Model& model) {
    PartMesh& m = *makeFlatModel(model, 1)[0];
    addQuadFacing(m, ViewMain, Vec3(0, 60, 0), 30, kRed);
    addQuadFacing(m, ViewSide, Vec3(60, 0, 0), 30, kGreen);
    addQuadFacing(m, ViewUp, Vec3(0, 0, -60), 30, kBlue);
    addQuadFacing(m, ViewMain, Vec3(100, 60, 150), 10, kYellow);  // right of and below centre
    addQuadFacing(m, ViewSide, Vec3(60, 100, 150), 10, kYellow);  // +Y shows on the left
    addQuadFacing(m, ViewUp, Vec3(100, 100, -60), 10, kYellow);   // +Y shows downwards
}

}  // namespace

TEST(Views, EachViewSeesTheModelFromItsOwnDirection) {
    Model model;
    buildDirectionModel(model);
    struct Case {
        ViewIndex view;
        int width, height;
        Pixel centre;
        Vec3 marker;
    };
    const Case cases[] = {{ViewMain, 320, 720, {255, 0, 0}, Vec3(100, 60, 150)},
                          {ViewSide, 320, 720, {0, 255, 0}, Vec3(60, 100, 150)},
                          {ViewUp, 320, 320, {0, 0, 255}, Vec3(100, 100, -60)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        TestWindow w(c.view, model, c.width, c.height);
        w.render();
        EXPECT_TRUE(near(at(w, c.view, Vec3(6, 6, 6)), c.centre))
            << describe(at(w, c.view, Vec3(6, 6, 6)));
        EXPECT_TRUE(near(at(w, c.view, c.marker), {255, 255, 0}))
            << describe(at(w, c.view, c.marker));
        // The mirror image of the marker stays empty.
        const WindowPoint p = project(c.view, c.width, c.height, c.marker);
        EXPECT_TRUE(near(w.pixel(c.width - p.x, c.height - p.y), kClearPixel));
    }
}

TEST(Views, PolygonsThatAppearCounterClockwiseAreDiscarded) {
    Model model;
    PartMesh& m = *makeFlatModel(model, 1)[0];
    // The same square twice, once in each winding: only the clockwise one shows.
    m.beginPolygon();
    for (Vec3 p : {Vec3(-80, 0, -140), Vec3(-20, 0, -140), Vec3(-20, 0, -80), Vec3(-80, 0, -80)}) {
        m.addColoredVertex(p, kRed);  // clockwise on screen
    }
    m.endPolygon();
    m.beginPolygon();
    for (Vec3 p : {Vec3(20, 0, -140), Vec3(20, 0, -80), Vec3(80, 0, -80), Vec3(80, 0, -140)}) {
        m.addColoredVertex(p, kRed);  // counter-clockwise on screen
    }
    m.endPolygon();
    TestWindow w(ViewMain, model, 320, 720);
    w.render();
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(-50, 0, -110)), {255, 0, 0}));
    EXPECT_TRUE(near(at(w, ViewMain, Vec3(50, 0, -110)), kClearPixel));
}

TEST(Views, SetupMultipliesTheProjectionAndLooksFromTheViewsEye) {
    Model model;
    makeFlatModel(model, 0);
    TestWindow w(ViewMain, model, 320, 320);
    // Start again from a known projection, doubled, to see that setupView multiplies onto it.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(2, 2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setupView(ViewUp);
    const auto projection = currentMatrix(GL_PROJECTION_MATRIX);
    EXPECT_FLOAT_EQ(projection[0], 2 * 2.0f / -1500.0f);
    EXPECT_FLOAT_EQ(projection[5], 2 * 2.0f / -1500.0f);
    EXPECT_FLOAT_EQ(projection[10], 2 * -2.0f / 9999.0f);
    // Looking from (0, 0, -1000) with +Y up: world +X maps to eye -X, the origin is 1000 away.
    const auto view = currentMatrix(GL_MODELVIEW_MATRIX);
    EXPECT_FLOAT_EQ(view[0], -1.0f);
    EXPECT_FLOAT_EQ(view[5], 1.0f);
    EXPECT_FLOAT_EQ(view[10], -1.0f);
    EXPECT_FLOAT_EQ(view[14], -1000.0f);
    GLint mode = 0, cullMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_CULL_FACE_MODE, &cullMode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(cullMode, GL_FRONT);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat light0[4], light1[4], attenuation = 0;
    glGetLightfv(GL_LIGHT0, GL_POSITION, light0);
    glGetLightfv(GL_LIGHT1, GL_POSITION, light1);
    glGetLightfv(GL_LIGHT0, GL_LINEAR_ATTENUATION, &attenuation);
    EXPECT_FLOAT_EQ(light0[1], -500.0f);
    EXPECT_FLOAT_EQ(light1[2], 410.0f);
    EXPECT_FLOAT_EQ(attenuation, 0.5f);
    // Lighting is never switched on, not even by a frame.
    w.render();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
}

TEST(Views, ReshapeReloadsAPixelScaledProjection) {
    Model model;
    makeFlatModel(model, 0);
    TestWindow w(ViewUp, model, 320, 320);
    // The first reshape replaced the +-750 of the set-up with +-160.
    auto projection = currentMatrix(GL_PROJECTION_MATRIX);
    EXPECT_FLOAT_EQ(projection[0], 2.0f / -320.0f);
    EXPECT_FLOAT_EQ(projection[5], 2.0f / -320.0f);
    // A zoom scales the projection; a reshape drops it, with truncated halves for odd sizes.
    glMatrixMode(GL_PROJECTION);
    glScalef(3, 3, 3);
    glMatrixMode(GL_MODELVIEW);
    const auto lookAt = currentMatrix(GL_MODELVIEW_MATRIX);
    w.resize(321, 401);
    projection = currentMatrix(GL_PROJECTION_MATRIX);
    EXPECT_FLOAT_EQ(projection[0], 2.0f / -320.0f);  // 321 / 2 = 160
    EXPECT_FLOAT_EQ(projection[5], 2.0f / -400.0f);  // 401 / 2 = 200
    EXPECT_FLOAT_EQ(projection[12], 0.0f);
    GLint viewport[4], mode = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(viewport[2], 321);
    EXPECT_EQ(viewport[3], 401);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), lookAt);  // the look-at is never reloaded
}

TEST(TreeDrawing, MeshUnderUserAndPoseChildrenAlsoUnderTheBoneOffset) {
    Model model;
    PartMesh* upper = model.newPartMesh();
    PartMesh* lower = model.newPartMesh();
    for (PartMesh* m : {upper, lower}) {
        m->setVisible(1);
        model.partList().push_back(m);
        model.boneIndexList().push_back(static_cast<int32_t>(model.partList().size() - 1));
        addQuadFacing(*m, ViewSide, Vec3(0, 0, 0), 12, m == upper ? kRed : kGreen);
    }
    BoneNode* a = model.newBoneNode(upper, 1);
    BoneNode* b = model.newBoneNode(lower, 2);
    model.rootNode()->attachChild(a, 0);
    model.rootNode()->attachChild(b, 1);
    a->applyBoneOffset(translationMatrix(0, 0, 120));  // bone length
    Matrix4 turn = identityMatrix();
    turn[5] = 0, turn[6] = 1, turn[9] = -1, turn[10] = 0;  // a quarter turn about X
    a->applyPoseMatrix(turn);
    a->applyUserMatrix(translationMatrix(0, 0, -100));  // the user's translation, towards -Z
    selectedBone = -1;
    TestWindow w(ViewSide, model, 320, 720);
    w.render();
    // The upper mesh is not moved by its bone length; the turned offset carries the child to
    // Y = -120 (the right of the side view), both 100 units up.
    EXPECT_TRUE(near(at(w, ViewSide, Vec3(0, 0, -100)), {255, 0, 0}));
    EXPECT_TRUE(near(at(w, ViewSide, Vec3(0, -120, -100)), {0, 255, 0}));
    EXPECT_TRUE(near(at(w, ViewSide, Vec3(0, 0, 50)), kClearPixel));
}

// A chain of bones, each one further along Z, with a quad on the last one only.
void buildChain(Model& model, int levels, float step) {
    model = Model();
    BoneNode* parent = model.rootNode();
    for (int i = 0; i < levels; ++i) {
        PartMesh* mesh = model.newPartMesh();
        mesh->setVisible(1);
        model.partList().push_back(mesh);
        model.boneIndexList().push_back(i);
        BoneNode* node = model.newBoneNode(mesh, i + 1);
        model.rootNode()->attachChild(node, parent->boneId);
        node->applyBoneOffset(translationMatrix(0, 0, step));
        if (i == levels - 1) addQuadFacing(*mesh, ViewMain, Vec3(0, 0, 0), 10, kYellow);
        parent = node;
    }
    selectedBone = levels;  // the last bone's axes too
}

TEST(TreeDrawing, ChainsDeeperThanTheMatrixStackDrawAndLeaveTheStackAsFound) {
    Model model;
    GLint maxDepth = 0;
    for (int levels : {8, 300}) {
        SCOPED_TRACE(levels);
        buildChain(model, levels, 200.0f / levels);
        TestWindow w(ViewMain, model, 320, 720);
        glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &maxDepth);
        const auto before = currentMatrix(GL_MODELVIEW_MATRIX);
        while (glGetError() != GL_NO_ERROR) {
        }
        w.render();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), before);
        // The last bone's mesh sits at the end of the second-to-last offset.
        const float z = 200.0f / levels * (levels - 1);
        EXPECT_TRUE(near(at(w, ViewMain, Vec3(4, 0, z)), {255, 255, 0}))
            << describe(at(w, ViewMain, Vec3(4, 0, z)));
    }
    EXPECT_LT(maxDepth, 300);
}

TEST(Picking, ReadsThePartDrawnOnTopAndLeavesTheNextFrameAsItWas) {
    Model model;
    fillTexels(model, 0, 0, 16, 16, {255, 0, 255, 0});  // transparent
    fillTexels(model, 16, 0, 32, 16, {250, 250, 250, 255});
    auto parts = makeFlatModel(model, 3);
    addQuadFacing(*parts[0], ViewMain, Vec3(0, -50, -100), 40, kYellow);       // bone 1, behind
    addTexturedQuadFacingMain(*parts[1], Vec3(0, 0, -100), 40, 0, 0, 32, 16);  // bone 2
    addQuadFacing(*parts[2], ViewMain, Vec3(100, 0, 200), 30, kRed);           // bone 3, hidden
    parts[2]->setVisible(0);
    TestWindow w(ViewMain, model, 320, 720);
    w.render();
    const auto frame = w.image();
    auto pickAt = [&](const Vec3& world) {
        const WindowPoint p = project(ViewMain, 320, 720, world);
        return pickBoneAt(*model.rootNode(), w.drawing(), p.x, p.y);
    };
    EXPECT_EQ(pickAt(Vec3(20, 0, -100)), 2);   // an opaque texel in front
    EXPECT_EQ(pickAt(Vec3(-20, 0, -100)), 1);  // through a transparent texel
    EXPECT_EQ(pickAt(Vec3(100, 0, 200)), -1);  // a hidden part is not there to pick
    EXPECT_EQ(pickAt(Vec3(-120, 0, 300)), -1);
    EXPECT_EQ(pickBoneAt(*model.rootNode(), w.drawing(), -1, 10), -1);
    EXPECT_EQ(pickBoneAt(*model.rootNode(), w.drawing(), 10, 720), -1);
    w.render();
    EXPECT_EQ(w.image(), frame);
}

namespace {

// The rows and columns (top row first) holding pixels of one colour: {left, top, right, bottom}.
std::array<int, 4> boundsOf(const std::vector<uint8_t>& image, int width, const Pixel& colour) {
    std::array<int, 4> box{width, 1 << 30, -1, -1};
    for (size_t i = 0; i + 2 < image.size(); i += 3) {
        if (!near({image[i], image[i + 1], image[i + 2]}, colour)) continue;
        const int x = static_cast<int>(i / 3 % width), y = static_cast<int>(i / 3 / width);
        box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
    }
    return box;
}

}  // namespace

// A 40-unit square off-centre and behind the main view's eye: out of sight at start-up, fitted
// it spans the view's width but for the margin, centred; the start-up zoom gives the first
// picture back.
TEST(ViewFitting, FitsTheShownPartsWithAMarginAndTheStartUpZoomComesBack) {
    Model model;
    auto parts = makeFlatModel(model, 2);
    addQuadFacing(*parts[0], ViewMain, Vec3(40, 1500, 100), 20, kYellow);
    addQuadFacing(*parts[1], ViewMain, Vec3(0, 0, 0), 300, kRed);
    parts[1]->setVisible(0);  // hidden parts do not count
    TestWindow w(ViewMain, model, 320, 720);
    w.render();
    const auto startUp = w.image();
    EXPECT_EQ(boundsOf(startUp, 320, {255, 255, 0})[2], -1);

    fitCurrentView(*model.rootNode(), 320, 720);
    w.render();
    const auto box = boundsOf(w.image(), 320, {255, 255, 0});
    const std::array<int, 4> expected{kFitMargin, 210, 319 - kFitMargin, 509};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(box[k], expected[k], 1) << "side " << k;

    applyViewSize(320, 720);
    w.render();
    EXPECT_EQ(w.image(), startUp);
}
