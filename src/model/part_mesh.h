#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/bounded_reader.h"
#include "model/polygon.h"

// A read-only view of one polygon of a mesh: cheap to make and to copy, valid while the mesh
// is not changed.
class PolygonView {
  public:
    explicit PolygonView(const Polygon& polygon) : polygon_(&polygon) {}
    size_t cornerCount() const { return polygon_->positions.size(); }
    const Vec3& position(size_t k) const { return polygon_->positions[k]; }
    const Color3& color(size_t k) const { return polygon_->colors[k]; }
    const Vec3& texCoord(size_t k) const { return polygon_->texCoords[k]; }  // (u, v, 0)
    bool isTextured() const { return polygon_->isTextured(); }

  private:
    const Polygon* polygon_;
};

// The polygons of one bone's part, in the bone's own frame, with its visibility and selection.
class PartMesh {
  public:
    std::vector<Polygon> polygons;
    int32_t visible = 0;
    int32_t selected = 0;
    int32_t currentPolygon = -1;
    int32_t listBase = -1;  // untextured display list; the textured one is listBase + 1

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

    size_t polygonCount() const { return polygons.size(); }
    PolygonView polygon(size_t i) const { return PolygonView(polygons[i]); }
    bool hasPolygons() const { return !polygons.empty(); }
    bool hasTexturedPolygon() const;

    // Reads one mesh block (vertex list, then textured triangles, textured quads, shaded
    // triangles, shaded quads). The block is untrusted: when a count, record or vertex
    // reference would reach outside the block or the vertex list, nothing is added, the reason
    // goes to *error (when given) and the result is false.
    bool parsePartMesh(const BoundedReader& block, std::string* error = nullptr);

    // Drawing (render library).
    void buildDisplayLists(int base);
    void drawUntextured() const;
    void drawTextured() const;

  private:
    Polygon* current();
};
