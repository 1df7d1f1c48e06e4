#include "image_files.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdlib>

namespace gltest {

bool readPng(const std::string& path, Image& image) {
    int width = 0, height = 0, channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &width, &height, &channels, 3);
    if (!data) return false;
    image.width = width;
    image.height = height;
    image.rgb.assign(data, data + static_cast<size_t>(width) * height * 3);
    stbi_image_free(data);
    return true;
}

bool writePng(const std::string& path, const Image& image) {
    return stbi_write_png(path.c_str(), image.width, image.height, 3, image.rgb.data(),
                          image.width * 3) != 0;
}

Comparison compareImages(const Image& rendered, const Image& baseline, int channelTolerance) {
    Comparison result;
    result.sameSize = rendered.width == baseline.width && rendered.height == baseline.height &&
                      rendered.rgb.size() == baseline.rgb.size();
    if (!result.sameSize) return result;
    result.difference = baseline;
    for (size_t i = 0; i + 2 < rendered.rgb.size(); i += 3) {
        bool differs = false;
        for (size_t k = 0; k < 3; ++k) {
            differs |= std::abs(rendered.rgb[i + k] - baseline.rgb[i + k]) > channelTolerance;
        }
        uint8_t* out = &result.difference.rgb[i];
        if (differs) {
            ++result.differingPixels;
            out[0] = 255, out[1] = 0, out[2] = 0;
        } else {
            for (size_t k = 0; k < 3; ++k) out[k] = static_cast<uint8_t>(out[k] / 4);
        }
    }
    return result;
}

}  // namespace gltest
