#include "render/view_fitting.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "model/bone_node.h"
#include "model/mesh_frames.h"
#include "model/part_mesh.h"

namespace {

// Start-up projections reach from 1 to 10000 in front of the eye; a fit only ever widens that.
constexpr double kNear = 1, kFar = 10000;

void addCorner(EyeBox& box, const Matrix4& m, const Vec3& p) {
    const float x = m[0] * p.x() + m[4] * p.y() + m[8] * p.z() + m[12];
    const float y = m[1] * p.x() + m[5] * p.y() + m[9] * p.z() + m[13];
    const float distance = -(m[2] * p.x() + m[6] * p.y() + m[10] * p.z() + m[14]);
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(distance)) return;
    box.minX = std::min(box.minX, x);
    box.maxX = std::max(box.maxX, x);
    box.minY = std::min(box.minY, y);
    box.maxY = std::max(box.maxY, y);
    box.nearest = std::min(box.nearest, distance);
    box.farthest = std::max(box.farthest, distance);
}

void addMesh(EyeBox& box, const Matrix4& m, const PartMesh& mesh) {
    for (size_t i = 0; i < mesh.polygonCount(); ++i) {
        const PolygonView polygon = mesh.polygon(i);
        if (polygon.cornerCount() < 3) continue;  // never drawn
        for (size_t k = 0; k < polygon.cornerCount(); ++k) addCorner(box, m, polygon.position(k));
    }
}

}  // namespace

EyeBox shownPartsBox(const BoneNode& root, const Matrix4& look) {
    EyeBox box;
    forEachMeshFrame(root, look, [&box](const BoneNode& node, const Matrix4& meshFrame) {
        if (node.mesh && node.mesh->visible) addMesh(box, meshFrame, *node.mesh);
    });
    return box;
}

void fitProjectionToBox(const EyeBox& box, int width, int height) {
    if (box.empty() || width <= 0 || height <= 0) return;
    const int freeWidth = width > 2 * kFitMargin ? width - 2 * kFitMargin : width;
    const int freeHeight = height > 2 * kFitMargin ? height - 2 * kFitMargin : height;
    // Eye-space units per pixel; a box of no extent keeps the start-up's one unit.
    double scale = std::max((static_cast<double>(box.maxX) - box.minX) / freeWidth,
                            (static_cast<double>(box.maxY) - box.minY) / freeHeight);
    if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
    const double centreX = (static_cast<double>(box.minX) + box.maxX) / 2;
    const double centreY = (static_cast<double>(box.minY) + box.maxY) / 2;
    const double halfWidth = scale * width / 2, halfHeight = scale * height / 2;
    const double nearest = std::min(kNear, static_cast<double>(box.nearest) - 1);
    const double farthest = std::max(kFar, static_cast<double>(box.farthest) + 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Left above right and bottom above top, as at start-up: the same way up.
    glOrtho(centreX + halfWidth, centreX - halfWidth, centreY + halfHeight, centreY - halfHeight,
            nearest, farthest);
    glMatrixMode(GL_MODELVIEW);
}

void fitCurrentView(const BoneNode& root, int width, int height) {
    Matrix4 look;
    glGetFloatv(GL_MODELVIEW_MATRIX, look.data());
    fitProjectionToBox(shownPartsBox(root, look), width, height);
}
