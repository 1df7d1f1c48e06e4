#include "render/tree_drawing.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "model/bone_node.h"
#include "model/matrix.h"
#include "model/mesh_frames.h"
#include "model/part_mesh.h"
#include "render/model_drawing.h"
#include "render/part_drawing.h"
#include "render/pick_pass.h"

// Each node's mesh is drawn under userMatrix · poseMatrix and its children under
// userMatrix · poseMatrix · boneOffsetMatrix, inside the frame the parent hands down. The walks
// are iterative, so no chain of bones can exhaust the program stack. A tree that fits the GL
// matrix stack is drawn with one pushed matrix per level; a deeper one (GL promises only 32
// levels) has its matrices composed here and loaded whole, node by node.

namespace {

enum class PassKind { Frame, Pick, Listed };

// A pass over the tree: what it is for, which of the drawing's two arrays it draws from and, for
// the listed parts, their bone ids in order.
struct Pass {
    PassKind kind;
    bool textured;
    const ModelDrawing* drawing;
    const std::vector<int32_t>* listedBones = nullptr;
};

bool isListed(const std::vector<int32_t>& listedBones, int32_t boneId) {
    return std::binary_search(listedBones.begin(), listedBones.end(), 0) ||
           std::binary_search(listedBones.begin(), listedBones.end(), boneId);
}

void drawPassTriangles(const PartMesh& mesh, Pass pass) {
    if (pass.textured) {
        pass.drawing->drawTexturedPart(mesh);
    } else {
        pass.drawing->drawUntexturedPart(mesh);
    }
}

void drawMesh(const BoneNode& node, Pass pass) {
    if (!node.mesh) return;
    switch (pass.kind) {
        case PassKind::Frame:
            if (pass.textured) {
                drawTextured(*node.mesh, *pass.drawing);
            } else {
                drawUntextured(*node.mesh, *pass.drawing);
            }
            break;
        case PassKind::Pick:
            // Only the part's polygons, in its bone's colour; no axes.
            if (!node.mesh->visible) break;
            setPickColour(node.boneId);
            drawPassTriangles(*node.mesh, pass);
            break;
        case PassKind::Listed:
            if (isListed(*pass.listedBones, node.boneId)) drawPassTriangles(*node.mesh, pass);
            break;
    }
}

// Levels of the tree, the root's included.
size_t treeDepth(const BoneNode& root) {
    size_t deepest = 0;
    std::vector<std::pair<const BoneNode*, size_t>> stack{{&root, 1}};
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        if (depth > deepest) deepest = depth;
        for (const BoneNode* child : node->children) {
            if (child) stack.push_back({child, depth + 1});
        }
    }
    return deepest;
}

struct MatrixStackQueries {
    GLenum depth, maxDepth, matrix;
};

MatrixStackQueries queriesForCurrentMode() {
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    switch (mode) {
        case GL_PROJECTION:
            return {GL_PROJECTION_STACK_DEPTH, GL_MAX_PROJECTION_STACK_DEPTH, GL_PROJECTION_MATRIX};
        case GL_TEXTURE:
            return {GL_TEXTURE_STACK_DEPTH, GL_MAX_TEXTURE_STACK_DEPTH, GL_TEXTURE_MATRIX};
        default:
            return {GL_MODELVIEW_STACK_DEPTH, GL_MAX_MODELVIEW_STACK_DEPTH, GL_MODELVIEW_MATRIX};
    }
}

// A node on the walk and the next of its children to visit.
struct WalkFrame {
    const BoneNode* node;
    size_t nextChild;
};

// The next child to enter, or null once every child has been visited.
const BoneNode* nextChild(WalkFrame& frame) {
    while (frame.nextChild < frame.node->children.size()) {
        const BoneNode* child = frame.node->children[frame.nextChild++];
        if (child) return child;
    }
    return nullptr;
}

// One pushed matrix per level, each bone's matrices multiplied onto the current one by GL.
void drawOnMatrixStack(const BoneNode& root, Pass pass) {
    std::vector<WalkFrame> stack;
    auto enter = [&](const BoneNode& node) {
        glPushMatrix();
        glMultMatrixf(node.userMatrix.data());
        glMultMatrixf(node.poseMatrix.data());
        drawMesh(node, pass);
        glMultMatrixf(node.boneOffsetMatrix.data());
        stack.push_back({&node, 0});
    };
    enter(root);
    while (!stack.empty()) {
        if (const BoneNode* child = nextChild(stack.back())) {
            enter(*child);
        } else {
            glPopMatrix();
            stack.pop_back();
        }
    }
}

// Any depth: each node's whole transform is composed here and loaded; the caller's matrix is
// restored bit for bit at the end.
void drawWithComposedMatrices(const BoneNode& root, Pass pass, GLenum currentMatrix) {
    Matrix4 callerMatrix;
    glGetFloatv(currentMatrix, callerMatrix.data());
    forEachMeshFrame(root, callerMatrix, [pass](const BoneNode& node, const Matrix4& meshFrame) {
        glLoadMatrixf(meshFrame.data());
        drawMesh(node, pass);
    });
    glLoadMatrixf(callerMatrix.data());
}

void walkTree(const BoneNode& root, Pass pass) {
    const MatrixStackQueries queries = queriesForCurrentMode();
    GLint depth = 1, maxDepth = 32;
    glGetIntegerv(queries.depth, &depth);
    glGetIntegerv(queries.maxDepth, &maxDepth);
    const size_t room = maxDepth > depth ? static_cast<size_t>(maxDepth - depth) : 0;
    if (treeDepth(root) <= room) {
        drawOnMatrixStack(root, pass);
    } else {
        drawWithComposedMatrices(root, pass, queries.matrix);
    }
}

// Each pass draws from one of the drawing's two arrays, bound once for the whole walk.
void drawTree(const BoneNode& root, Pass pass) {
    const PassArrays arrays(*pass.drawing, pass.textured);
    walkTree(root, pass);
}

}  // namespace

void drawPickTree(const BoneNode& root, const ModelDrawing& drawing, bool textured) {
    drawTree(root, {PassKind::Pick, textured, &drawing});
}

void drawUntexturedTree(const BoneNode& root, const ModelDrawing& drawing) {
    drawTree(root, {PassKind::Frame, false, &drawing});
}

void drawTexturedTree(const BoneNode& root, const ModelDrawing& drawing) {
    drawTree(root, {PassKind::Frame, true, &drawing});
}

void drawListedParts(const BoneNode& root, const ModelDrawing& drawing,
                     const std::vector<int32_t>& boneIds) {
    std::vector<int32_t> listed = boneIds;
    std::sort(listed.begin(), listed.end());
    drawTree(root, {PassKind::Listed, false, &drawing, &listed});
    drawTree(root, {PassKind::Listed, true, &drawing, &listed});
}
