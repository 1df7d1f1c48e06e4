#include "png/png_writing.h"

#include <stb/stb_image_write.h>

#include "io/file_saving.h"

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool encodePng(int width, int height, int channels, const uint8_t* pixels,
               std::vector<uint8_t>& png) {
    png.clear();
    return stbi_write_png_to_func(appendBytes, &png, width, height, channels, pixels,
                                  width * channels) != 0;
}

bool writePngFile(const std::string& path, int width, int height, int channels,
                  const std::vector<uint8_t>& pixels, std::string& error) {
    std::vector<uint8_t> png;
    if (!encodePng(width, height, channels, pixels.data(), png)) {
        error = "the PNG could not be encoded";
        return false;
    }
    const SaveResult saved = saveFile(path, png);
    if (saved.outcome == SaveOutcome::Saved) return true;
    error = describeSaveFailure(saved);
    return false;
}
