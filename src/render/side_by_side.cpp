#include "render/side_by_side.h"

#include <GL/gl.h>

#include <algorithm>

#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "render/emission_lighting.h"
#include "render/model_drawing.h"
#include "render/picture.h"
#include "render/tree_drawing.h"
#include "render/view_fitting.h"
#include "render/views.h"

namespace {

constexpr int kLargestSide = 4096;
// The outline's colour: a yellow that no frame of the views draws on its own but a part's.
constexpr GLfloat kOutline[4] = {1.0f, 1.0f, 0.0f, 1.0f};

// Every part of the model shown for as long as it lives; the user's choice comes back after.
class AllPartsShown {
  public:
    explicit AllPartsShown(Model& model) : parts_(model.partList()) {
        for (PartMesh* part : parts_) {
            saved_.push_back(part ? part->visible : 0);
            if (part) part->setVisible(1);
        }
    }
    ~AllPartsShown() {
        for (size_t i = 0; i < parts_.size(); ++i) {
            if (parts_[i]) parts_[i]->visible = saved_[i];
        }
    }
    AllPartsShown(const AllPartsShown&) = delete;
    AllPartsShown& operator=(const AllPartsShown&) = delete;

  private:
    const std::vector<PartMesh*>& parts_;
    std::vector<int32_t> saved_;
};

// The main view as a fresh window of the half's size would have it.
void setUpHalf(int width, int height) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setUpViewContext(ViewMain);
    applyViewSize(width, height);
}

EyeBox shownBox(const Model& model) {
    Matrix4 look;
    glGetFloatv(GL_MODELVIEW_MATRIX, look.data());
    return shownPartsBox(*model.rootNode(), look);
}

// Half the width and height of the box, the larger of the two boxes' in each direction.
struct Extent {
    double halfX = 0, halfY = 0;
    float nearest = 0, farthest = 0;
};

Extent commonExtent(const EyeBox& a, const EyeBox& b) {
    Extent extent;
    bool first = true;
    for (const EyeBox* box : {&a, &b}) {
        if (box->empty()) continue;
        extent.halfX = std::max(extent.halfX, (static_cast<double>(box->maxX) - box->minX) / 2);
        extent.halfY = std::max(extent.halfY, (static_cast<double>(box->maxY) - box->minY) / 2);
        extent.nearest = first ? box->nearest : std::min(extent.nearest, box->nearest);
        extent.farthest = first ? box->farthest : std::max(extent.farthest, box->farthest);
        first = false;
    }
    return extent;
}

// The box about the model's own centre with the common extent: every half fitted to its box
// has the one zoom. An empty box stays empty, and its half keeps the start-up projection.
EyeBox alikeBox(const EyeBox& own, const Extent& extent) {
    if (own.empty()) return own;
    const double centreX = (static_cast<double>(own.minX) + own.maxX) / 2;
    const double centreY = (static_cast<double>(own.minY) + own.maxY) / 2;
    EyeBox box;
    box.minX = static_cast<float>(centreX - extent.halfX);
    box.maxX = static_cast<float>(centreX + extent.halfX);
    box.minY = static_cast<float>(centreY - extent.halfY);
    box.maxY = static_cast<float>(centreY + extent.halfY);
    box.nearest = extent.nearest;
    box.farthest = extent.farthest;
    return box;
}

// The listed parts again as lines of one colour over everything.
void drawOutline(const Model& model, const ModelDrawing& drawing,
                 const std::vector<int32_t>& outlined) {
    if (outlined.empty()) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    lightOnlyByEmission();
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, kOutline);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(2.0f);
    drawListedParts(*model.rootNode(), drawing, outlined);
    glPopAttrib();
}

}  // namespace

Result<std::vector<uint8_t>> drawSideBySide(Model& a, const std::vector<int32_t>& outlinedA,
                                            Model& b, const std::vector<int32_t>& outlinedB,
                                            int width, int height) {
    if (width < 2 || height < 1 || width > kLargestSide || height > kLargestSide) {
        return Failure{1, "a side-by-side picture is 2 to 4096 pixels wide and 1 to 4096 high"};
    }
    // Errors left from earlier work are not this picture's; GL keeps at most one of each kind.
    for (int k = 0; k < 8 && glGetError() != GL_NO_ERROR; ++k) {
    }
    const AllPartsShown shownA(a);
    const AllPartsShown shownB(b);
    const ModelDrawing drawingA(a);
    const ModelDrawing drawingB(b);

    const int leftWidth = width / 2;
    const PlacedView halves[2] = {{ViewMain, 0, 0, leftWidth, height},
                                  {ViewMain, leftWidth, 0, width - leftWidth, height}};
    // Both halves of one size but for an odd width's last column: one look, one extent.
    setUpHalf(halves[0].width, height);
    const EyeBox boxA = shownBox(a), boxB = shownBox(b);
    const Extent extent = commonExtent(boxA, boxB);

    struct Side {
        Model& model;
        const ModelDrawing& drawing;
        const std::vector<int32_t>& outlined;
        EyeBox box;
    };
    const Side sides[2] = {{a, drawingA, outlinedA, alikeBox(boxA, extent)},
                           {b, drawingB, outlinedB, alikeBox(boxB, extent)}};
    std::vector<uint8_t> picture(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    FrameOptions options;
    options.axes = false;
    for (int k = 0; k < 2; ++k) {
        const PlacedView& half = halves[k];
        setUpHalf(half.width, half.height);
        fitProjectionToBox(sides[k].box, half.width, half.height);
        renderFrame(sides[k].model, sides[k].drawing, -1, options);
        drawOutline(sides[k].model, sides[k].drawing, sides[k].outlined);
        glFinish();
        readPlacedView(half, 0, 3, width, picture);
    }
    if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
        return Failure{2, "the GL could not draw the side-by-side picture (error " +
                              std::to_string(error) + ")"};
    }
    return picture;
}
