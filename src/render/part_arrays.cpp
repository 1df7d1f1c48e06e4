#include "render/part_arrays.h"

#include "io/huge_pages.h"
#include "model/part_mesh.h"

namespace {

// A polygon is drawn in the textured pass when every corner has texture coordinates, and not at
// all with fewer than three corners.
bool drawnIn(const PolygonView& polygon, bool textured) {
    return polygon.cornerCount() >= 3 && polygon.isTextured() == textured;
}

size_t fanCorners(const PolygonView& polygon) {
    return 3 * (polygon.cornerCount() - 2);
}

// Storage for a block of floats, not cleared: every float is written before it is drawn.
std::unique_ptr<float[]> floatBlock(size_t count) {
    if (count == 0) return nullptr;
    std::unique_ptr<float[]> block(new float[count]);
    adviseHugePages(block.get(), count * sizeof(float));
    return block;
}

float* putShaded(float* out, const PolygonView& polygon, size_t corner) {
    const Vec3 p = polygon.position(corner);
    const Color3 c = polygon.color(corner);
    *out++ = p.x();
    *out++ = p.y();
    *out++ = p.z();
    *out++ = c.red();
    *out++ = c.green();
    *out++ = c.blue();
    return out;
}

float* putTextured(float* out, const PolygonView& polygon, size_t corner) {
    const Vec3 p = polygon.position(corner);
    const Vec3 t = polygon.texCoord(corner);
    *out++ = p.x();
    *out++ = p.y();
    *out++ = p.z();
    *out++ = t.x();
    *out++ = t.y();
    return out;
}

}  // namespace

PartArrays::PartArrays(const std::vector<PartMesh*>& parts) : parts_(parts.size()) {
    size_t shadedCorners = 0, texturedCorners = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        PartCorners& range = parts_[i];
        range.shadedFirst = shadedCorners;
        range.texturedFirst = texturedCorners;
        if (!parts[i]) continue;
        for (size_t p = 0; p < parts[i]->polygonCount(); ++p) {
            const PolygonView polygon = parts[i]->polygon(p);
            if (drawnIn(polygon, false)) range.shadedCount += fanCorners(polygon);
            if (drawnIn(polygon, true)) range.texturedCount += fanCorners(polygon);
        }
        shadedCorners += range.shadedCount;
        texturedCorners += range.texturedCount;
    }
    shaded_ = floatBlock(shadedCorners * kShadedFloats);
    textured_ = floatBlock(texturedCorners * kTexturedFloats);
    float* shadedOut = shaded_.get();
    float* texturedOut = textured_.get();
    for (const PartMesh* mesh : parts) {
        if (!mesh) continue;
        for (size_t p = 0; p < mesh->polygonCount(); ++p) {
            const PolygonView polygon = mesh->polygon(p);
            if (polygon.cornerCount() < 3) continue;
            const bool textured = polygon.isTextured();
            for (size_t k = 1; k + 1 < polygon.cornerCount(); ++k) {
                for (size_t corner : {size_t{0}, k, k + 1}) {
                    if (textured) {
                        texturedOut = putTextured(texturedOut, polygon, corner);
                    } else {
                        shadedOut = putShaded(shadedOut, polygon, corner);
                    }
                }
            }
        }
    }
}
