#pragma once

// The drawing reference: the same triangles as the model's drawing, with every bone's
// matrices applied once on the CPU, drawn in the same two passes and state as the frame but
// from one vertex array per pass. It is the floor that the frame's per-part drawing is measured against.

#include <GL/gl.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "model/vec.h"

class Model;

// The frame's two passes with the frame's state (clear, untextured pass, world axes, textured
// pass), each pass's geometry given by the caller; no flush or swap.
void renderTwoPassFrame(const std::function<void()>& untextured,
                        const std::function<void()>& textured, int axesList);

class VertexArrayReference {
  public:
    // Takes the visible parts of the model's tree as it stands now, and the world axes from
    // the model drawing's axesList.
    void build(const Model& model, unsigned axesList);
    size_t triangleCount() const { return (untexturedVertices_ + texturedVertices_) / 3; }

    // Uploads the arrays into a buffer object of the current context.
    GLuint uploadBuffer() const;

    // One frame like renderFrame, without flush and swap; buffer 0 draws from client memory.
    void render(GLuint buffer) const;

  private:
    // Per vertex: position (3 floats), colour (3), texture coordinate (2); untextured first.
    std::vector<GLfloat> positions_, colors_, texCoords_;
    size_t untexturedVertices_ = 0;
    size_t texturedVertices_ = 0;
    int axesList_ = 0;
};
