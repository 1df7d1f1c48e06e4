#define GL_GLEXT_PROTOTYPES 1
#include "vertex_array_reference.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <utility>

#include "model/bone_node.h"
#include "model/matrix.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "render/views.h"

namespace {

Vec3 transform(const Matrix4& m, const Vec3& p) {
    return Vec3(m[0] * p.x() + m[4] * p.y() + m[8] * p.z() + m[12],
                m[1] * p.x() + m[5] * p.y() + m[9] * p.z() + m[13],
                m[2] * p.x() + m[6] * p.y() + m[10] * p.z() + m[14]);
}

struct Arrays {
    std::vector<GLfloat> positions, colors, texCoords;
    void add(const Matrix4& m, const PolygonView& polygon, size_t corner, bool textured) {
        const Vec3 p = transform(m, polygon.position(corner));
        positions.insert(positions.end(), {p.x(), p.y(), p.z()});
        const Color3 c = polygon.color(corner);
        colors.insert(colors.end(), {c.red(), c.green(), c.blue()});
        if (textured) {
            const Vec3 t = polygon.texCoord(corner);
            texCoords.insert(texCoords.end(), {t.x(), t.y()});
        } else {
            texCoords.insert(texCoords.end(), {0.0f, 0.0f});
        }
    }
    // GL_POLYGON of n corners as the fan (0, i, i + 1).
    void addPolygon(const Matrix4& m, const PolygonView& polygon, bool textured) {
        for (size_t i = 1; i + 1 < polygon.cornerCount(); ++i) {
            add(m, polygon, 0, textured);
            add(m, polygon, i, textured);
            add(m, polygon, i + 1, textured);
        }
    }
};

void append(std::vector<GLfloat>& to, const std::vector<GLfloat>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

}  // namespace

void VertexArrayReference::build(const Model& model, unsigned axesList) {
    axesList_ = static_cast<int>(axesList);
    Arrays untextured, textured;
    // Each mesh is drawn under parentFrame · user · pose; its children under that · boneOffset.
    std::vector<std::pair<const BoneNode*, Matrix4>> stack{{model.rootNode(), identityMatrix()}};
    while (!stack.empty()) {
        auto [node, parentFrame] = stack.back();
        stack.pop_back();
        const Matrix4 frame =
            matProduct(matProduct(parentFrame, node->userMatrix), node->poseMatrix);
        if (node->mesh && node->mesh->isVisible()) {
            for (size_t p = 0; p < node->mesh->polygonCount(); ++p) {
                const PolygonView polygon = node->mesh->polygon(p);
                if (polygon.cornerCount() < 3) continue;
                if (polygon.isTextured()) {
                    textured.addPolygon(frame, polygon, true);
                } else {
                    untextured.addPolygon(frame, polygon, false);
                }
            }
        }
        const Matrix4 childFrame = matProduct(frame, node->boneOffsetMatrix);
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
            if (*it) stack.push_back({*it, childFrame});
        }
    }
    untexturedVertices_ = untextured.positions.size() / 3;
    texturedVertices_ = textured.positions.size() / 3;
    positions_ = std::move(untextured.positions);
    append(positions_, textured.positions);
    colors_ = std::move(untextured.colors);
    append(colors_, textured.colors);
    texCoords_ = std::move(untextured.texCoords);
    append(texCoords_, textured.texCoords);
}

GLuint VertexArrayReference::uploadBuffer() const {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const size_t p = positions_.size() * sizeof(GLfloat);
    const size_t c = colors_.size() * sizeof(GLfloat);
    const size_t t = texCoords_.size() * sizeof(GLfloat);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(p + c + t), nullptr, GL_STATIC_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(p), positions_.data());
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(p), static_cast<GLsizeiptr>(c),
                    colors_.data());
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(p + c), static_cast<GLsizeiptr>(t),
                    texCoords_.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return buffer;
}

void VertexArrayReference::render(GLuint buffer) const {
    // Pointers are offsets into the buffer when one is bound, addresses otherwise.
    const auto* base = static_cast<const uint8_t*>(nullptr);
    const void* positions = positions_.data();
    const void* colors = colors_.data();
    const void* texCoords = texCoords_.data();
    if (buffer) {
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        const size_t p = positions_.size() * sizeof(GLfloat);
        const size_t c = colors_.size() * sizeof(GLfloat);
        positions = base;
        colors = base + p;
        texCoords = base + p + c;
    }
    renderTwoPassFrame(
        [&] {
            glEnableClientState(GL_VERTEX_ARRAY);
            glEnableClientState(GL_COLOR_ARRAY);
            glVertexPointer(3, GL_FLOAT, 0, positions);
            glColorPointer(3, GL_FLOAT, 0, colors);
            glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(untexturedVertices_));
        },
        [&] {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
            glDrawArrays(GL_TRIANGLES, static_cast<GLint>(untexturedVertices_),
                         static_cast<GLsizei>(texturedVertices_));
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            glDisableClientState(GL_COLOR_ARRAY);
            glDisableClientState(GL_VERTEX_ARRAY);
        },
        axesList_);
    if (buffer) glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void renderTwoPassFrame(const std::function<void()>& untextured,
                        const std::function<void()>& textured, int axesList) {
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setViewClearColor(0.0f);

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glBlendFunc(GL_DST_ALPHA, GL_ZERO);  // the windows have no alpha planes
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    untextured();
    glCallList(static_cast<GLuint>(axesList));

    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_FLAT);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    textured();
}
