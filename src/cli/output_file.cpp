#include "cli/output_file.h"

#include <stb/stb_image_write.h>

#include <cstring>

#include "io/file_saving.h"

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool replaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    const SaveResult result = saveFile(path, bytes);
    if (result.outcome == SaveOutcome::Saved) return true;
    error = result.error ? std::strerror(result.error) : "it cannot be written";
    return false;
}

bool writePngFile(const std::string& path, int width, int height, int channels,
                  const std::vector<uint8_t>& pixels, std::string& error) {
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(appendBytes, &png, width, height, channels, pixels.data(),
                                width * channels)) {
        error = "the PNG could not be encoded";
        return false;
    }
    return replaceFile(path, png, error);
}
