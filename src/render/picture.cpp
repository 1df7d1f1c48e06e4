#include "render/picture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "model/bone_node.h"
#include "model/model.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The whole model turned about z for as long as it lives, as a drag to the right turns it.
class Turned {
  public:
    Turned(BoneNode& root, double radians) : root_(root), saved_(root.poseMatrix) {
        if (radians != 0) root.rotateBone(rotationAboutZ(-radians), root.boneId);
    }
    ~Turned() { root_.poseMatrix = saved_; }
    Turned(const Turned&) = delete;
    Turned& operator=(const Turned&) = delete;

  private:
    BoneNode& root_;
    Matrix4 saved_;
};

void widen(EyeBox& box, const EyeBox& more) {
    if (more.empty()) return;
    box.minX = std::min(box.minX, more.minX);
    box.maxX = std::max(box.maxX, more.maxX);
    box.minY = std::min(box.minY, more.minY);
    box.maxY = std::max(box.maxY, more.maxY);
    box.nearest = std::min(box.nearest, more.nearest);
    box.farthest = std::max(box.farthest, more.farthest);
}

std::vector<uint8_t> backgroundPixel(const PictureBackground& background) {
    switch (background.kind) {
        case PictureBackground::Colour:
            return {background.rgb[0], background.rgb[1], background.rgb[2]};
        case PictureBackground::Transparent:
            return {0, 0, 0, 0};
        case PictureBackground::ViewerClear:
            break;
    }
    // As GL rounds the clear colour.
    std::vector<uint8_t> pixel(3);
    for (int k = 0; k < 3; ++k)
        pixel[k] = static_cast<uint8_t>(std::lround(kViewClearColor[k] * 255.0f));
    return pixel;
}

void setClearColour(const PictureBackground& background) {
    switch (background.kind) {
        case PictureBackground::Colour:
            glClearColor(background.rgb[0] / 255.0f, background.rgb[1] / 255.0f,
                         background.rgb[2] / 255.0f, 1.0f);
            break;
        case PictureBackground::Transparent:
            glClearColor(0, 0, 0, 0);
            break;
        case PictureBackground::ViewerClear:
            break;  // the window's own, set with the view
    }
}

}  // namespace

// Straight into the picture, without a buffer between: the rows arrive bottom first and are
// then put the right way up in place.
void readPlacedView(const PlacedView& placed, int sourceBottom, int channels, int pictureWidth,
                    std::vector<uint8_t>& picture) {
    const size_t rowBytes = static_cast<size_t>(channels) * static_cast<size_t>(placed.width);
    const size_t pictureRow = static_cast<size_t>(channels) * static_cast<size_t>(pictureWidth);
    uint8_t* topLeft = &picture[pictureRow * static_cast<size_t>(placed.y) +
                                static_cast<size_t>(channels) * static_cast<size_t>(placed.x)];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, pictureWidth);
    glReadPixels(0, sourceBottom, placed.width, placed.height, channels == 4 ? GL_RGBA : GL_RGB,
                 GL_UNSIGNED_BYTE, topLeft);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    for (int y = 0; y < placed.height / 2; ++y) {
        uint8_t* upper = topLeft + pictureRow * static_cast<size_t>(y);
        uint8_t* lower = topLeft + pictureRow * static_cast<size_t>(placed.height - 1 - y);
        std::swap_ranges(upper, upper + rowBytes, lower);
    }
}

void fillBackground(const PictureDescription& description, std::vector<uint8_t>& picture) {
    const size_t channels = static_cast<size_t>(description.channels());
    const std::vector<uint8_t> background = backgroundPixel(description.background);
    for (size_t p = 0; p + channels <= picture.size(); p += channels)
        std::copy(background.begin(), background.end(), &picture[p]);
}

std::vector<uint8_t> blankPicture(const PictureDescription& description) {
    std::vector<uint8_t> picture(static_cast<size_t>(description.channels()) *
                                 static_cast<size_t>(description.width) *
                                 static_cast<size_t>(description.height));
    fillBackground(description, picture);
    return picture;
}

int PictureDescription::surfaceWidth() const {
    int most = 1;
    for (const PlacedView& v : views) most = std::max(most, v.width);
    return most;
}

int PictureDescription::surfaceHeight() const {
    int most = 1;
    for (const PlacedView& v : views) most = std::max(most, v.height);
    return most;
}

double PictureDescription::turnOfFrame(int frame) const {
    return turntableFrames > 0 ? 2 * kPi * frame / turntableFrames : 0.0;
}

PictureDescription viewSheetPicture() {
    PictureDescription sheet;
    sheet.width = 960;
    sheet.height = 720;
    // In the order the viewer prepares its windows; each view stands at 320 x its index.
    for (const ViewIndex view : {ViewSide, ViewUp, ViewMain}) {
        const ViewWindowLayout& layout = kViewWindows[view];
        sheet.views.push_back({view, 320 * view, 0, layout.width, layout.height});
    }
    return sheet;
}

PictureDescription singleViewPicture(ViewIndex view, int width, int height) {
    PictureDescription picture;
    picture.width = width;
    picture.height = height;
    picture.views.push_back({view, 0, 0, width, height});
    return picture;
}

PictureDrawing::PictureDrawing(const PictureDescription& description) : description_(description) {}

void PictureDrawing::prepare(Model& model) {
    modelDrawing_ = ModelDrawing();  // the previous model's names free before the next's
    modelDrawing_ = ModelDrawing(model);
    holding_ = false;
    for (EyeBox& box : held_) box = EyeBox();
}

// As a fresh window of the view's size: the set-up onto identities, then the first reshape.
void PictureDrawing::setUpView(const PlacedView& placed) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setUpViewContext(placed.view);
    applyViewSize(placed.width, placed.height);
}

EyeBox PictureDrawing::boxOf(Model& model, double turnRadians) {
    Matrix4 look;
    glGetFloatv(GL_MODELVIEW_MATRIX, look.data());
    const Turned turned(*model.rootNode(), turnRadians);
    return shownPartsBox(*model.rootNode(), look);
}

void PictureDrawing::holdInFit(Model& model, double turnRadians) {
    holding_ = true;
    for (const PlacedView& placed : description_.views) {
        setUpView(placed);
        widen(held_[placed.view], boxOf(model, turnRadians));
    }
}

const std::vector<uint8_t>& PictureDrawing::draw(Model& model, double turnRadians) {
    // The last frame's buffer again: fresh memory costs a batch more than the drawing.
    std::vector<uint8_t>& picture = picture_;
    if (picture.empty()) {
        picture = blankPicture(description_);
    } else if (description_.views.size() > 1) {
        fillBackground(description_, picture);  // around the views
    }

    FrameOptions options;
    options.axes = description_.axes;
    for (const PlacedView& placed : description_.views) {
        setUpView(placed);
        if (description_.fit) {
            const EyeBox box = holding_ ? held_[placed.view] : boxOf(model, turnRadians);
            fitProjectionToBox(box, placed.width, placed.height);
        }
        setClearColour(description_.background);
        {
            const Turned turned(*model.rootNode(), turnRadians);
            renderFrame(model, modelDrawing_, 0, options);  // the whole model selected
        }
        glFinish();
        readPlacedView(placed, 0, description_.channels(), description_.width, picture);
    }
    return picture;
}
