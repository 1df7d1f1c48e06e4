#include "render/model_drawing.h"

#include <GL/gl.h>

#include <utility>
#include <vector>

#include "model/model.h"
#include "model/part_mesh.h"
#include "texture/texture_page.h"

namespace {

// Three lines from the origin: red along X, green along Y, blue along Z, 200 units each.
void compileAxesList(GLuint list) {
    glNewList(list, GL_COMPILE);
    glBegin(GL_LINES);
    glColor3f(1, 0, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(200, 0, 0);
    glColor3f(0, 1, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 200, 0);
    glColor3f(0, 0, 1);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, 200);
    glEnd();
    glEndList();
}

// Texels as they are, and none from beyond the page's edges, for the bound texture object.
void clampNearest() {
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
}

// The page, and its alpha alone for picking. The texture environment belongs to the context,
// but GL_MODULATE is every context's default as well.
void uploadTexturePage(const TexturePage& page, GLuint pageTexture, GLuint alphaTexture) {
    glBindTexture(GL_TEXTURE_2D, pageTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, kTexturePageSize, kTexturePageSize, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, page.pixels.data());
    clampNearest();
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    std::vector<uint8_t> alpha(page.pixels.size() / 4);
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = page.pixels[4 * i + 3];
    glBindTexture(GL_TEXTURE_2D, alphaTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, kTexturePageSize, kTexturePageSize, 0, GL_ALPHA,
                 GL_UNSIGNED_BYTE, alpha.data());
    clampNearest();
    glBindTexture(GL_TEXTURE_2D, pageTexture);
}

}  // namespace

ModelDrawing::ModelDrawing(Model& model) : arrays_(model.partList()) {
    const std::vector<PartMesh*>& parts = model.partList();
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i]) parts[i]->partIndex = static_cast<int32_t>(i);
    }
    axesList_ = glGenLists(1);
    if (axesList_ != 0) compileAxesList(axesList_);
    GLuint textures[2] = {0, 0};
    glGenTextures(2, textures);
    pageTexture_ = textures[0];
    pageAlphaTexture_ = textures[1];
    uploadTexturePage(model.texturePage(), pageTexture_, pageAlphaTexture_);
}

ModelDrawing::~ModelDrawing() {
    release();
}

ModelDrawing::ModelDrawing(ModelDrawing&& other) noexcept {
    *this = std::move(other);
}

ModelDrawing& ModelDrawing::operator=(ModelDrawing&& other) noexcept {
    if (this == &other) return *this;
    release();
    arrays_ = std::exchange(other.arrays_, PartArrays());
    axesList_ = std::exchange(other.axesList_, 0);
    pageTexture_ = std::exchange(other.pageTexture_, 0);
    pageAlphaTexture_ = std::exchange(other.pageAlphaTexture_, 0);
    return *this;
}

void ModelDrawing::release() {
    if (axesList_ != 0) glDeleteLists(axesList_, 1);
    const GLuint textures[2] = {pageTexture_, pageAlphaTexture_};
    if (pageTexture_ != 0 || pageAlphaTexture_ != 0) glDeleteTextures(2, textures);
    arrays_ = PartArrays();
    axesList_ = 0;
    pageTexture_ = 0;
    pageAlphaTexture_ = 0;
}

const PartCorners* ModelDrawing::corners(const PartMesh& mesh) const {
    if (mesh.partIndex < 0 || static_cast<size_t>(mesh.partIndex) >= arrays_.partCount()) {
        return nullptr;
    }
    return &arrays_.part(static_cast<size_t>(mesh.partIndex));
}

void ModelDrawing::drawUntexturedPart(const PartMesh& mesh) const {
    const PartCorners* part = corners(mesh);
    if (!part || part->shadedCount == 0) return;
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(part->shadedFirst),
                 static_cast<GLsizei>(part->shadedCount));
}

void ModelDrawing::drawTexturedPart(const PartMesh& mesh) const {
    const PartCorners* part = corners(mesh);
    if (!part || part->texturedCount == 0) return;
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(part->texturedFirst),
                 static_cast<GLsizei>(part->texturedCount));
}

PassArrays::PassArrays(const ModelDrawing& drawing, bool textured) : textured_(textured) {
    const PartArrays& arrays = drawing.arrays();
    glEnableClientState(GL_VERTEX_ARRAY);
    if (textured) {
        // Textured corners are white, so that the texel shows unchanged under GL_MODULATE.
        const GLsizei stride = PartArrays::kTexturedFloats * sizeof(float);
        glColor3f(1.0f, 1.0f, 1.0f);
        glVertexPointer(3, GL_FLOAT, stride, arrays.textured());
        glTexCoordPointer(2, GL_FLOAT, stride, arrays.textured() ? arrays.textured() + 3 : nullptr);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
        const GLsizei stride = PartArrays::kShadedFloats * sizeof(float);
        glVertexPointer(3, GL_FLOAT, stride, arrays.shaded());
        glColorPointer(3, GL_FLOAT, stride, arrays.shaded() ? arrays.shaded() + 3 : nullptr);
        glEnableClientState(GL_COLOR_ARRAY);
    }
}

PassArrays::~PassArrays() {
    glDisableClientState(textured_ ? GL_TEXTURE_COORD_ARRAY : GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}
