#pragma once

// Lighting on with every light off and no ambient light: what reaches a pixel is then exactly
// the material's emission, whatever colours the vertices carry. The pick pass and the outline
// draw in one colour this way. Call it inside a glPushAttrib(GL_ALL_ATTRIB_BITS) the caller pops.
void lightOnlyByEmission();
