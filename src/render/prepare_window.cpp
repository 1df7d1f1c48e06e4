#include "render/prepare_window.h"

#include <GL/gl.h>

#include <vector>

#include "model/model.h"
#include "model/part_mesh.h"
#include "render/display_lists.h"
#include "render/part_drawing.h"
#include "render/pick_pass.h"
#include "texture/texture_page.h"

namespace {

// Three lines from the origin: red along X, green along Y, blue along Z, 200 units each.
void compileAxesList(int list) {
    glNewList(static_cast<GLuint>(list), GL_COMPILE);
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

// The page goes into texture object kPageTexture, which renderFrame binds. The texture
// environment belongs to the context, but GL_MODULATE is every context's default as well.
void uploadTexturePage(const TexturePage& page) {
    glBindTexture(GL_TEXTURE_2D, kPageTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, kTexturePageSize, kTexturePageSize, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, page.pixels.data());
    clampNearest();
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    // The same page's alpha alone, for picking.
    std::vector<uint8_t> alpha(page.pixels.size() / 4);
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = page.pixels[4 * i + 3];
    glBindTexture(GL_TEXTURE_2D, kPageAlphaTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, kTexturePageSize, kTexturePageSize, 0, GL_ALPHA,
                 GL_UNSIGNED_BYTE, alpha.data());
    clampNearest();
    glBindTexture(GL_TEXTURE_2D, kPageTexture);
}

}  // namespace

// Display lists and textures belong to a GL context's share group: the viewer's three views
// share one and run this once; each off-screen view runs it in its own context.
void prepareWindow(Model& model) {
    const std::vector<PartMesh*>& parts = model.partList();
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i]) buildDisplayLists(*parts[i], partListBase(i));
    }
    compileAxesList(axesList(model));
    uploadTexturePage(model.texturePage());
}
