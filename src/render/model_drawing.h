#pragma once

#include <cstddef>

#include "render/part_arrays.h"

class Model;
class PartMesh;

// What draws one model in one share group: each part's triangles of the two passes (untextured,
// textured) as vertex arrays, the list with the coordinate axes, the texture page and the page's
// alpha alone for picking. Every GL name is asked of the GL, so any number of drawings, of one
// model or of several, live in one share group at once. Built and freed with a context of the
// group current. An empty drawing (default-constructed, or moved from) names nothing and draws
// nothing.
class ModelDrawing {
  public:
    ModelDrawing() = default;
    // Lays out the model's triangles, compiles the axes list and uploads the page into the current
    // context's share group, and gives each part of the model its place in the part list
    // (PartMesh::partIndex).
    explicit ModelDrawing(Model& model);
    ~ModelDrawing();
    ModelDrawing(ModelDrawing&& other) noexcept;
    ModelDrawing& operator=(ModelDrawing&& other) noexcept;
    ModelDrawing(const ModelDrawing&) = delete;
    ModelDrawing& operator=(const ModelDrawing&) = delete;

    // Draws the part's triangles of one pass in the current frame, whatever its visibility:
    // nothing for a part this drawing was not built with. The pass's arrays must be bound
    // (PassArrays).
    void drawUntexturedPart(const PartMesh& mesh) const;
    void drawTexturedPart(const PartMesh& mesh) const;
    // The part's corners in this drawing; null for a part it was not built with.
    const PartCorners* corners(const PartMesh& mesh) const;
    unsigned axesList() const { return axesList_; }
    unsigned pageTexture() const { return pageTexture_; }
    unsigned pageAlphaTexture() const { return pageAlphaTexture_; }

    const PartArrays& arrays() const { return arrays_; }

  private:
    void release();

    PartArrays arrays_;
    unsigned axesList_ = 0;
    unsigned pageTexture_ = 0;
    unsigned pageAlphaTexture_ = 0;
};

// While it lives, one pass's arrays of a drawing are GL's vertex arrays, so that each part of the
// pass is a single glDrawArrays. Client-side arrays are core OpenGL 1.1; they are turned off
// again at the end, so the immediate-mode drawing around the pass is unchanged.
class PassArrays {
  public:
    PassArrays(const ModelDrawing& drawing, bool textured);
    ~PassArrays();
    PassArrays(const PassArrays&) = delete;
    PassArrays& operator=(const PassArrays&) = delete;

  private:
    bool textured_;
};
