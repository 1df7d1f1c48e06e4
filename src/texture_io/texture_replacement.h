#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"

// A texture file handed to the replacement: the path it is named by in refusals, its name in
// its folder (entry<E>-palette<M>.png) and its bytes.
struct TextureInput {
    std::string path;
    std::string name;
    std::vector<uint8_t> bytes;
};

struct TextureReplacement {
    std::vector<uint8_t> archive;  // the archive with the images put back, of the same size
    size_t imagesReplaced = 0;
};

// Puts the files' pixel indices and palettes back into a copy of the archive bytes: for each
// file entry<E>-palette<M>.png, the indices of entry E's image and its palette M. Every other
// byte stays; so does bit 15 of each palette colour, and a short image gets back only the pixels
// its entry holds. The files of one image must agree on the indices. archiveName names the
// archive in refusals of the archive itself.
// Fails with one line "PATH: what is wrong".
Result<TextureReplacement> replaceTextures(const uint8_t* archive, size_t size,
                                           const std::vector<TextureInput>& files,
                                           const std::string& archiveName);

// Reads the texture files of a folder: every name that ends in .png, in any case (one that
// does not fit the pattern is refused by replaceTextures), which must be a regular file. Other
// files, such as textures.json, are left alone. Fails with one line.
Result<> readTextureFolder(const std::string& folder, std::vector<TextureInput>& files);

// Parses entry<E>-palette<M>.png, decimal numbers without leading zeros.
bool parseTextureFileName(const std::string& name, uint32_t& entry, int& palette);
