#include "model/part_mesh.h"

void PartMesh::beginPolygon() {
    currentPolygon = static_cast<int32_t>(polygons.size());
    polygons.emplace_back();
}

Polygon* PartMesh::current() {
    if (currentPolygon < 0 || static_cast<size_t>(currentPolygon) >= polygons.size()) {
        return nullptr;
    }
    return &polygons[static_cast<size_t>(currentPolygon)];
}

void PartMesh::addColoredVertex(const Vec3& position, const Color3& color) {
    if (Polygon* polygon = current()) polygon->pushColoredVertex(position, color);
}

void PartMesh::addColoredVertex(float x, float y, float z, float r, float g, float b) {
    addColoredVertex(Vec3(x, y, z), Color3(r, g, b));
}

void PartMesh::addColoredVertex(const Vec3& position, uint8_t r, uint8_t g, uint8_t b) {
    addColoredVertex(position, Color3(r, g, b));
}

void PartMesh::addTexturedVertex(const Vec3& position, const Vec3& texCoord) {
    if (Polygon* polygon = current()) polygon->pushTexturedVertex(position, texCoord);
}

void PartMesh::addTexturedVertex(float x, float y, float z, float s, float t) {
    addTexturedVertex(Vec3(x, y, z), Vec3(s, t, 0.0f));
}

void PartMesh::addTexturedVertex(float x, float y, float z, int s, int t) {
    addTexturedVertex(Vec3(x, y, z), s, t);
}

void PartMesh::addTexturedVertex(const Vec3& position, int s, int t) {
    addTexturedVertex(position,
                      Vec3(static_cast<float>(s / 256.0), static_cast<float>(t / 256.0), 0.0f));
}

bool PartMesh::hasTexturedPolygon() const {
    for (const Polygon& polygon : polygons) {
        if (polygon.isTextured()) return true;
    }
    return false;
}
