#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/bounded_reader.h"
#include "io/result.h"
#include "model/vec.h"

struct MeshBlockLayout;

// A texture coordinate as stored: (u, v); its third component is always 0.
struct TexCoord2 {
    float u = 0.0f, v = 0.0f;
};

// A read-only view of one polygon of a mesh: a few pointers into the mesh's arrays, cheap to
// make and to copy, valid until the mesh changes.
class PolygonView {
  public:
    PolygonView(const Vec3* vertices, const uint32_t* cornerVertices, const Color3* colors,
                const TexCoord2* texCoords, uint32_t cornerCount, uint32_t texCoordCount)
        : vertices_(vertices),
          cornerVertices_(cornerVertices),
          colors_(colors),
          texCoords_(texCoords),
          cornerCount_(cornerCount),
          texCoordCount_(texCoordCount) {}

    size_t cornerCount() const { return cornerCount_; }
    size_t texCoordCount() const { return texCoordCount_; }
    Vec3 position(size_t k) const { return vertices_[cornerVertices_[k]]; }
    // Textured corners are white, so that the texel shows unchanged under GL_MODULATE.
    Color3 color(size_t k) const { return colors_ ? colors_[k] : Color3(1.0f, 1.0f, 1.0f); }
    Vec3 texCoord(size_t k) const { return Vec3(texCoords_[k].u, texCoords_[k].v, 0.0f); }
    bool isTextured() const { return texCoordCount_ != 0 && texCoordCount_ == cornerCount_; }

  private:
    const Vec3* vertices_;
    const uint32_t* cornerVertices_;
    const Color3* colors_;  // null when every corner is textured
    const TexCoord2* texCoords_;
    uint32_t cornerCount_;
    uint32_t texCoordCount_;
};

// The polygons of one bone's part, in the bone's own frame, with its visibility and selection.
//
// The corners live in a few flat arrays rather than in one object per polygon, so that a mesh
// of half a million polygons is a handful of allocations: the vertices, each corner's vertex,
// the colours (only for polygons with an untextured corner; textured corners are white), the
// texture coordinates of the textured corners, and where each polygon starts in those arrays.
class PartMesh {
  public:
    int32_t visible = 0;
    int32_t selected = 0;
    int32_t currentPolygon = -1;
    // The part's place in its model's part list, by which a drawing finds its lists; -1 until
    // the model is first drawn.
    int32_t partIndex = -1;

    int32_t isVisible() const { return visible; }
    int32_t setVisible(int32_t flag) { return visible = flag ? 1 : 0; }
    int32_t isSelected() const { return selected; }
    int32_t setSelected(int32_t flag) { return selected = flag ? 1 : 0; }

    void beginPolygon();
    void endPolygon() { currentPolygon = -1; }

    // Corners go to the current polygon; outside beginPolygon/endPolygon they are dropped.
    void addColoredVertex(const Vec3& position, const Color3& color);
    void addColoredVertex(float x, float y, float z, float r, float g, float b);
    void addColoredVertex(const Vec3& position, uint8_t r, uint8_t g, uint8_t b);
    void addTexturedVertex(const Vec3& position, const Vec3& texCoord);
    void addTexturedVertex(float x, float y, float z, float s, float t);
    void addTexturedVertex(float x, float y, float z, int s, int t);  // s / 256, t / 256
    void addTexturedVertex(const Vec3& position, int s, int t);       // s / 256, t / 256

    size_t polygonCount() const { return starts_.size(); }
    PolygonView polygon(size_t i) const;
    bool hasPolygons() const { return !starts_.empty(); }
    bool hasTexturedPolygon() const;

    // Reads one mesh block (vertex list, then textured triangles, textured quads, shaded
    // triangles, shaded quads). The block is untrusted: when a count, record or vertex
    // reference would reach outside the block or the vertex list, nothing is added and the
    // result says why.
    Result<> parsePartMesh(const BoundedReader& block);
    // Adds the polygons of a block already measured and checked.
    void fillFromBlock(const BoundedReader& block, const MeshBlockLayout& layout);

  private:
    // Where a polygon's corners, colours and texture coordinates begin; each ends where the
    // next polygon's begin (the last one's at the end of the arrays).
    struct PolygonStart {
        uint32_t corner = 0;
        uint32_t color = 0;
        uint32_t texCoord = 0;
    };

    PolygonStart arraysEnd() const;
    PolygonStart startOf(size_t i) const;
    PolygonStart endOf(size_t i) const;
    void addCorner(const Vec3& position, const Color3* color, const TexCoord2* texCoord);

    std::vector<Vec3> vertices_;
    std::vector<uint32_t> cornerVertices_;  // per corner: its index in vertices_
    std::vector<Color3> colors_;
    std::vector<TexCoord2> texCoords_;
    std::vector<PolygonStart> starts_;
};
