#include "render/model_drawing.h"

#include <GL/gl.h>

#include <climits>
#include <utility>
#include <vector>

#include "model/model.h"
#include "model/part_mesh.h"
#include "render/part_drawing.h"
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

ModelDrawing::ModelDrawing(Model& model) {
    const std::vector<PartMesh*>& parts = model.partList();
    // One contiguous run of names: two for each part and one for the axes. A model too large to
    // number gets no lists at all, and draws nothing.
    if (parts.size() <= static_cast<size_t>((INT_MAX - 1) / 2)) {
        const GLsizei lists = static_cast<GLsizei>(2 * parts.size() + 1);
        firstList_ = glGenLists(lists);
    }
    if (firstList_ != 0) {
        partCount_ = parts.size();
        for (size_t i = 0; i < parts.size(); ++i) {
            if (!parts[i]) continue;
            parts[i]->partIndex = static_cast<int32_t>(i);
            compilePartList(firstList_ + 2 * static_cast<GLuint>(i), *parts[i], false);
            compilePartList(firstList_ + 2 * static_cast<GLuint>(i) + 1, *parts[i], true);
        }
        axesList_ = firstList_ + 2 * static_cast<GLuint>(parts.size());
        compileAxesList(axesList_);
    }
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
    firstList_ = std::exchange(other.firstList_, 0);
    partCount_ = std::exchange(other.partCount_, 0);
    axesList_ = std::exchange(other.axesList_, 0);
    pageTexture_ = std::exchange(other.pageTexture_, 0);
    pageAlphaTexture_ = std::exchange(other.pageAlphaTexture_, 0);
    return *this;
}

void ModelDrawing::release() {
    if (firstList_ != 0) glDeleteLists(firstList_, static_cast<GLsizei>(2 * partCount_ + 1));
    const GLuint textures[2] = {pageTexture_, pageAlphaTexture_};
    if (pageTexture_ != 0 || pageAlphaTexture_ != 0) glDeleteTextures(2, textures);
    firstList_ = 0;
    partCount_ = 0;
    axesList_ = 0;
    pageTexture_ = 0;
    pageAlphaTexture_ = 0;
}

unsigned ModelDrawing::partList(const PartMesh& mesh, unsigned pass) const {
    if (mesh.partIndex < 0 || static_cast<size_t>(mesh.partIndex) >= partCount_) return 0;
    return firstList_ + 2 * static_cast<unsigned>(mesh.partIndex) + pass;
}
