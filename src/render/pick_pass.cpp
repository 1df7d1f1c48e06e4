#include "render/pick_pass.h"

#include <GL/gl.h>

#include "render/emission_lighting.h"
#include "render/model_drawing.h"

namespace {

// Bits of the colour buffer per channel, at most 8 (what one byte read back carries).
struct ChannelBits {
    int red, green, blue;
};

ChannelBits channelBits() {
    GLint r = 0, g = 0, b = 0;
    glGetIntegerv(GL_RED_BITS, &r);
    glGetIntegerv(GL_GREEN_BITS, &g);
    glGetIntegerv(GL_BLUE_BITS, &b);
    auto clamp = [](GLint bits) { return bits < 1 ? 1 : (bits > 8 ? 8 : static_cast<int>(bits)); };
    return {clamp(r), clamp(g), clamp(b)};
}

uint32_t maxOf(int bits) {
    return (1u << bits) - 1;
}

// Bone id k is drawn as the value k + 1, so that the cleared 0 stands for the background.
void codeToColour(uint32_t code, const ChannelBits& bits, GLfloat rgba[4]) {
    rgba[0] = static_cast<GLfloat>(code & maxOf(bits.red)) / maxOf(bits.red);
    code >>= bits.red;
    rgba[1] = static_cast<GLfloat>(code & maxOf(bits.green)) / maxOf(bits.green);
    code >>= bits.green;
    rgba[2] = static_cast<GLfloat>(code & maxOf(bits.blue)) / maxOf(bits.blue);
    rgba[3] = 1.0f;
}

uint32_t colourToCode(const GLubyte rgb[3], const ChannelBits& bits) {
    auto channel = [](GLubyte value, int bits) {
        return (static_cast<uint32_t>(value) * maxOf(bits) + 127) / 255;
    };
    return channel(rgb[0], bits.red) | channel(rgb[1], bits.green) << bits.red |
           channel(rgb[2], bits.blue) << (bits.red + bits.green);
}

// The colour buffer's depth, asked for once at the start of each pick.
ChannelBits passBits{8, 8, 8};

}  // namespace

void setPickColour(int32_t boneId) {
    const ChannelBits& bits = passBits;
    const uint32_t codes = 1u << (bits.red + bits.green + bits.blue);
    const uint32_t code = boneId >= 0 && static_cast<uint32_t>(boneId) + 1 < codes
                              ? static_cast<uint32_t>(boneId) + 1
                              : 0;  // beyond what the buffer can tell apart: not pickable
    GLfloat colour[4];
    codeToColour(code, bits, colour);
    glMaterialfv(GL_FRONT, GL_EMISSION, colour);
}

// The parts' arrays carry their own vertex colours, so the pass lights by emission alone: what
// reaches the pixel is then exactly the bone's colour.
int32_t pickBoneAt(const BoneNode& root, const ModelDrawing& drawing, int x, int y) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (x < viewport[0] || y < viewport[1] || x >= viewport[0] + viewport[2] ||
        y >= viewport[1] + viewport[3]) {
        return -1;
    }
    passBits = channelBits();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, 1, 1);
    glDrawBuffer(GL_BACK);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DITHER);
    glDisable(GL_BLEND);
    lightOnlyByEmission();
    glEnable(GL_DEPTH_TEST);

    glDepthFunc(GL_LESS);
    glDisable(GL_TEXTURE_2D);
    drawPickTree(root, drawing, false);

    // As the frame's textured pass: drawn over coplanar shaded faces, transparent texels dropped.
    // The page's alpha alone keeps each polygon's colour the bone's.
    glDepthFunc(GL_LEQUAL);
    glBindTexture(GL_TEXTURE_2D, drawing.pageAlphaTexture());
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
    drawPickTree(root, drawing, true);

    GLubyte rgb[3] = {0, 0, 0};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glPopAttrib();
    const uint32_t code = colourToCode(rgb, passBits);
    return code == 0 ? -1 : static_cast<int32_t>(code - 1);
}
