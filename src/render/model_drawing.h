#pragma once

#include <cstddef>

class Model;
class PartMesh;

// The GL objects that draw one model in one share group: each part's two display lists
// (untextured, textured), the list with the coordinate axes, the texture page and the page's
// alpha alone for picking. Every name is asked of the GL, so any number of drawings, of one model
// or of several, live in one share group at once. Built and freed with a context of the group
// current. An empty drawing (default-constructed, or moved from) names nothing and draws nothing.
class ModelDrawing {
  public:
    ModelDrawing() = default;
    // Compiles the model's lists and uploads its page into the current context's share group, and
    // gives each part of the model its place in the part list (PartMesh::partIndex).
    explicit ModelDrawing(Model& model);
    ~ModelDrawing();
    ModelDrawing(ModelDrawing&& other) noexcept;
    ModelDrawing& operator=(ModelDrawing&& other) noexcept;
    ModelDrawing(const ModelDrawing&) = delete;
    ModelDrawing& operator=(const ModelDrawing&) = delete;

    // The part's lists in this drawing; 0 (no list) for a part this drawing was not built with.
    unsigned untexturedList(const PartMesh& mesh) const { return partList(mesh, 0); }
    unsigned texturedList(const PartMesh& mesh) const { return partList(mesh, 1); }
    unsigned axesList() const { return axesList_; }
    unsigned pageTexture() const { return pageTexture_; }
    unsigned pageAlphaTexture() const { return pageAlphaTexture_; }

  private:
    unsigned partList(const PartMesh& mesh, unsigned pass) const;
    void release();

    // Part i's lists are firstList_ + 2i and firstList_ + 2i + 1; the axes list follows them.
    unsigned firstList_ = 0;
    size_t partCount_ = 0;
    unsigned axesList_ = 0;
    unsigned pageTexture_ = 0;
    unsigned pageAlphaTexture_ = 0;
};
