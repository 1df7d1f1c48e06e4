#pragma once

// "Extract textures": asks for a folder and writes every image of the shown archive (or of the
// demo model) there as indexed PNGs, one per palette, with textures.json. One console line
// says what was written or, with nothing written, why not.
void extractShownTextures();
