#include "gl_test_support.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>

#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "texture/texture_page.h"

namespace gltest {

namespace {

// The size of the last reshape each window received.
std::map<int, std::pair<int, int>>& reshapes() {
    static std::map<int, std::pair<int, int>> sizes;
    return sizes;
}

void onTestReshape(int width, int height) {
    reshapes()[glutGetWindow()] = {width, height};
    reshapeView(width, height);
}

// Windows that GLUT has asked to display at least once: they are mapped and exposed.
std::map<int, bool>& exposed() {
    static std::map<int, bool> windows;
    return windows;
}

void onTestDisplay() {  // frames are drawn by the tests themselves
    exposed()[glutGetWindow()] = true;
}

void initGlutOnce() {
    static bool done = false;
    if (done) return;
    int argc = 1;
    char name[] = "render-tests";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    done = true;
}

bool pumpUntilReshaped(int window, int width, int height) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        glutMainLoopEvent();
        auto it = reshapes().find(window);
        if (it != reshapes().end() && it->second == std::make_pair(width, height) &&
            exposed()[window]) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

// Corners of a square around centre in the plane facing the view, in an order that appears
// clockwise from the viewer (so the front-face culling keeps it).
std::array<Vec3, 4> squareFacing(ViewIndex view, const Vec3& c, float h) {
    std::array<Vec3, 4> corners;
    switch (view) {
        case ViewSide:  // plane x = c.x; screen right is -Y, down is +Z
            corners = {Vec3(c.x(), c.y() + h, c.z() - h), Vec3(c.x(), c.y() - h, c.z() - h),
                       Vec3(c.x(), c.y() - h, c.z() + h), Vec3(c.x(), c.y() + h, c.z() + h)};
            break;
        case ViewUp:  // plane z = c.z; screen right is +X, down is +Y
            corners = {Vec3(c.x() - h, c.y() - h, c.z()), Vec3(c.x() + h, c.y() - h, c.z()),
                       Vec3(c.x() + h, c.y() + h, c.z()), Vec3(c.x() - h, c.y() + h, c.z())};
            break;
        default:  // plane y = c.y; screen right is +X, down is +Z
            corners = {Vec3(c.x() - h, c.y(), c.z() - h), Vec3(c.x() + h, c.y(), c.z() - h),
                       Vec3(c.x() + h, c.y(), c.z() + h), Vec3(c.x() - h, c.y(), c.z() + h)};
            break;
    }
    return corners;
}

}  // namespace

bool near(const Pixel& a, const Pixel& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

std::string describe(const Pixel& p) {
    char text[48];
    std::snprintf(text, sizeof text, "(%d, %d, %d)", p.r, p.g, p.b);
    return text;
}

TestWindow::TestWindow(ViewIndex view, Model& model, int width, int height, unsigned displayMode)
    : model_(model), width_(width), height_(height) {
    initGlutOnce();
    glutInitDisplayMode(displayMode);
    glutInitWindowSize(width, height);
    // Side by side, so that no window hides another.
    static int nextX = 0;
    glutInitWindowPosition(nextX, 0);
    nextX = (nextX + 330) % 990;
    id_ = glutCreateWindow("render test");
    glutDisplayFunc(onTestDisplay);
    glutReshapeFunc(onTestReshape);
    const auto start = std::chrono::steady_clock::now();
    drawing_ = prepareView(view, model);
    glFinish();
    prepareSeconds_ =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!pumpUntilReshaped(id_, width, height)) {
        std::fprintf(stderr, "render test: the first reshape never arrived\n");
    }
    makeCurrent();
}

TestWindow::~TestWindow() {
    makeCurrent();
    drawing_ = ModelDrawing();  // freed in its own context
    glutDestroyWindow(id_);
    reshapes().erase(id_);
    exposed().erase(id_);
    glutMainLoopEvent();
}

void TestWindow::makeCurrent() const {
    glutSetWindow(id_);
}

void TestWindow::resize(int width, int height) {
    makeCurrent();
    glutReshapeWindow(width, height);
    if (pumpUntilReshaped(id_, width, height)) {
        width_ = width;
        height_ = height;
    }
    makeCurrent();
}

void TestWindow::render() const {
    makeCurrent();
    renderFrame(model_, drawing_, selectedBone);
    glFinish();
}

Pixel TestWindow::pixel(int x, int y) const {
    return readPixel(GL_BACK, x, y);
}

Pixel TestWindow::frontPixel(int x, int y) const {
    // What the X server shows in the window (the front buffer), bottom-left origin like GL.
    makeCurrent();
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable window = glXGetCurrentDrawable();
    if (!display || !window) return {-1, -1, -1};
    XImage* image = XGetImage(display, window, x, height_ - 1 - y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return {-1, -1, -1};
    const unsigned long value = XGetPixel(image, 0, 0);
    Pixel p{static_cast<int>((value & image->red_mask) >> __builtin_ctzl(image->red_mask)),
            static_cast<int>((value & image->green_mask) >> __builtin_ctzl(image->green_mask)),
            static_cast<int>((value & image->blue_mask) >> __builtin_ctzl(image->blue_mask))};
    XDestroyImage(image);
    return p;
}

Pixel TestWindow::readPixel(GLenum buffer, int x, int y) const {
    makeCurrent();
    uint8_t rgb[3] = {0, 0, 0};
    glReadBuffer(buffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

std::vector<uint8_t> TestWindow::image() const {
    makeCurrent();
    std::vector<uint8_t> bottomUp(static_cast<size_t>(width_) * height_ * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> topDown(bottomUp.size());
    const size_t row = static_cast<size_t>(width_) * 3;
    for (int y = 0; y < height_; ++y) {
        std::copy_n(bottomUp.begin() + (height_ - 1 - y) * row, row, topDown.begin() + y * row);
    }
    return topDown;
}

int32_t selectedBone = 0;

std::vector<PartMesh*> makeFlatModel(Model& model, size_t parts) {
    std::vector<PartMesh*> meshes;
    for (size_t i = 0; i < parts; ++i) {
        PartMesh* mesh = model.newPartMesh();
        mesh->setVisible(1);
        model.partList().push_back(mesh);
        model.boneIndexList().push_back(static_cast<int32_t>(i));
        model.rootNode()->attachChild(model.newBoneNode(mesh, static_cast<int32_t>(i + 1)), 0);
        meshes.push_back(mesh);
    }
    selectedBone = -1;  // no axes but the world axes, unless a test selects a bone
    return meshes;
}

void addQuadFacing(PartMesh& mesh, ViewIndex view, const Vec3& centre, float halfSize,
                   const Color3& colour) {
    mesh.beginPolygon();
    for (const Vec3& corner : squareFacing(view, centre, halfSize)) {
        mesh.addColoredVertex(corner, colour);
    }
    mesh.endPolygon();
}

void addTexturedQuadFacingMain(PartMesh& mesh, const Vec3& centre, float halfSize, int u0, int v0,
                               int u1, int v1) {
    const std::array<Vec3, 4> c = squareFacing(ViewMain, centre, halfSize);
    mesh.beginPolygon();
    mesh.addTexturedVertex(c[0], u0, v0);  // upper left
    mesh.addTexturedVertex(c[1], u1, v0);
    mesh.addTexturedVertex(c[2], u1, v1);
    mesh.addTexturedVertex(c[3], u0, v1);
    mesh.endPolygon();
}

void fillTexels(Model& model, int x0, int y0, int x1, int y1, std::array<uint8_t, 4> rgba) {
    auto& pixels = model.texturePage().pixels;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const size_t at = 4 * (static_cast<size_t>(y) * kTexturePageSize + x);
            for (int k = 0; k < 4; ++k) pixels[at + k] = rgba[k];
        }
    }
}

WindowPoint project(ViewIndex view, int width, int height, const Vec3& w) {
    switch (view) {
        case ViewSide:
            return {width / 2 - static_cast<int>(w.y()), height / 2 - static_cast<int>(w.z())};
        case ViewUp:
            return {width / 2 + static_cast<int>(w.x()), height / 2 - static_cast<int>(w.y())};
        default:
            return {width / 2 + static_cast<int>(w.x()), height / 2 - static_cast<int>(w.z())};
    }
}

}  // namespace gltest
