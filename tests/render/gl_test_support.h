#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/vec.h"
#include "render/model_drawing.h"
#include "render/views.h"

class Model;
class PartMesh;

namespace gltest {

// An RGB pixel read back from a window.
struct Pixel {
    int r = 0, g = 0, b = 0;
};
bool near(const Pixel& a, const Pixel& b, int tolerance = 3);
std::string describe(const Pixel& p);

// The clear colour of every view, as 8-bit channels.
const Pixel kClearPixel{64, 128, 191};

constexpr unsigned kViewerDisplayMode = kViewDisplayMode;

// A GLUT window whose reshape handler is reshapeView, made current and prepared like one of
// the viewer's with prepareView, then given the first reshape.
class TestWindow {
  public:
    TestWindow(ViewIndex view, Model& model, int width, int height,
               unsigned displayMode = kViewerDisplayMode);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    void makeCurrent() const;
    int width() const { return width_; }
    int height() const { return height_; }
    int id() const { return id_; }
    // Wall time that prepareView took in this window (lists compiled, texture uploaded).
    double prepareSeconds() const { return prepareSeconds_; }
    // The model's drawing in this window's context.
    const ModelDrawing& drawing() const { return drawing_; }

    // Asks the window system for a new size and waits for the reshape to arrive.
    void resize(int width, int height);

    // Draws one frame without swapping and reads the back buffer.
    void render() const;
    Pixel pixel(int x, int y) const;  // window coordinates, origin bottom-left
    // What the window shows on the X server, after a whole drawFrame (with its swap).
    Pixel frontPixel(int x, int y) const;
    // The whole back buffer, top row first, RGB.
    std::vector<uint8_t> image() const;

  private:
    Pixel readPixel(GLenum buffer, int x, int y) const;
    Model& model_;
    ModelDrawing drawing_;
    int id_ = 0;
    int width_ = 0, height_ = 0;
    double prepareSeconds_ = 0;
};

// The selection the test windows draw with, as the viewer's selectedBone: 0 the whole model,
// i bone i's part, anything else no part.
extern int32_t selectedBone;

// Builds into an empty model n parts, each on a bone hung under the root, all visible; returns
// the meshes. Selects no part.
std::vector<PartMesh*> makeFlatModel(Model& model, size_t parts);

// Adds a flat quad of one colour, facing the viewer of the given view (kept by the culling).
void addQuadFacing(PartMesh& mesh, ViewIndex view, const Vec3& centre, float halfSize,
                   const Color3& colour);
// Adds a textured quad facing the main view, spanning texels (u0, v0)..(u1, v1).
void addTexturedQuadFacingMain(PartMesh& mesh, const Vec3& centre, float halfSize, int u0, int v0,
                               int u1, int v1);

// Sets every page texel of the rectangle to one RGBA value.
void fillTexels(Model& model, int x0, int y0, int x1, int y1, std::array<uint8_t, 4> rgba);

// Where a world point lands in a window of the given size and view (after the first reshape).
struct WindowPoint {
    int x, y;
};
WindowPoint project(ViewIndex view, int width, int height, const Vec3& world);

}  // namespace gltest
