#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"

// A file of a texture extraction: its name in the folder and its bytes.
struct TextureFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

struct TextureExtraction {
    size_t imageCount = 0;
    // entry<E>-palette<M>.png for each palette of each image, then textures.json.
    std::vector<TextureFile> files;
};

// Takes every image of the archive bytes out, one indexed PNG per palette, each of the image's
// full width and height, and the list of what was taken and what was skipped. Fails when
// nothing can be taken out: an archive without any image with kNoTextureImage and "no texture
// image".
constexpr int kNoTextureImage = 2;
Result<TextureExtraction> extractTextures(const uint8_t* archive, size_t size);

// The name of the file that carries palette m of entry e.
std::string textureFileName(uint32_t entry, int palette);

// Writes the files into folder, made when missing, each beside its target and renamed over it.
// Fails with one line "PATH: what is wrong" at the first file that fails.
Result<> writeTextureFiles(const std::string& folder, const std::vector<TextureFile>& files);
