#include "model/part_mesh.h"

namespace {

const Color3 kWhite(1.0f, 1.0f, 1.0f);

template <typename T>
void insertAt(std::vector<T>& array, size_t at, size_t count, const T& value) {
    array.insert(array.begin() + static_cast<std::ptrdiff_t>(at), count, value);
}

}  // namespace

PartMesh::PolygonStart PartMesh::startOf(size_t i) const {
    return starts_[i];
}

PartMesh::PolygonStart PartMesh::arraysEnd() const {
    return {static_cast<uint32_t>(cornerVertices_.size()), static_cast<uint32_t>(colors_.size()),
            static_cast<uint32_t>(texCoords_.size())};
}

PartMesh::PolygonStart PartMesh::endOf(size_t i) const {
    return i + 1 < starts_.size() ? starts_[i + 1] : arraysEnd();
}

PolygonView PartMesh::polygon(size_t i) const {
    const PolygonStart start = startOf(i), end = endOf(i);
    const bool colored = end.color != start.color;
    return PolygonView(vertices_.data(), cornerVertices_.data() + start.corner,
                       colored ? colors_.data() + start.color : nullptr,
                       texCoords_.data() + start.texCoord, end.corner - start.corner,
                       end.texCoord - start.texCoord);
}

void PartMesh::beginPolygon() {
    currentPolygon = static_cast<int32_t>(starts_.size());
    starts_.push_back(arraysEnd());
}

// A polygon keeps either no colours (all its corners textured, so white) or one per corner: the
// first untextured corner gives the textured ones before it their white. The corner goes at the
// end of the current polygon, which is the last one unless currentPolygon was set by hand.
void PartMesh::addCorner(const Vec3& position, const Color3* color, const TexCoord2* texCoord) {
    if (currentPolygon < 0 || static_cast<size_t>(currentPolygon) >= starts_.size()) return;
    const size_t i = static_cast<size_t>(currentPolygon);
    const PolygonStart start = startOf(i), end = endOf(i);
    const size_t corners = end.corner - start.corner;
    const bool colored = end.color != start.color;

    size_t newColors = 0;
    if (color) {
        if (!colored) {
            insertAt(colors_, end.color, corners, kWhite);
            newColors += corners;
        }
        insertAt(colors_, end.color + newColors, 1, *color);
        ++newColors;
    } else {
        insertAt(texCoords_, end.texCoord, 1, *texCoord);
        if (colored) {
            insertAt(colors_, end.color, 1, kWhite);
            ++newColors;
        }
    }
    insertAt(cornerVertices_, end.corner, 1, static_cast<uint32_t>(vertices_.size()));
    vertices_.push_back(position);
    for (size_t j = i + 1; j < starts_.size(); ++j) {
        starts_[j].corner += 1;
        starts_[j].color += static_cast<uint32_t>(newColors);
        starts_[j].texCoord += texCoord ? 1 : 0;
    }
}

void PartMesh::addColoredVertex(const Vec3& position, const Color3& color) {
    addCorner(position, &color, nullptr);
}

void PartMesh::addColoredVertex(float x, float y, float z, float r, float g, float b) {
    addColoredVertex(Vec3(x, y, z), Color3(r, g, b));
}

void PartMesh::addColoredVertex(const Vec3& position, uint8_t r, uint8_t g, uint8_t b) {
    addColoredVertex(position, Color3(r, g, b));
}

void PartMesh::addTexturedVertex(const Vec3& position, const Vec3& texCoord) {
    const TexCoord2 uv{texCoord.x(), texCoord.y()};
    addCorner(position, nullptr, &uv);
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
    for (size_t i = 0; i < starts_.size(); ++i) {
        if (polygon(i).isTextured()) return true;
    }
    return false;
}
