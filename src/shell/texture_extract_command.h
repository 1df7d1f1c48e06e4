#pragma once

struct ViewerState;

// "Extract textures": asks for a folder and writes every image of the shown archive (or of the
// demo model) there as indexed PNGs, one per palette, with textures.json, from the bytes the
// shown document was loaded from. One console line says what was written or, with nothing
// written, why not.
void extractShownTextures(ViewerState& viewer);
