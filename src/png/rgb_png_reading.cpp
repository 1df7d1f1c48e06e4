#include "png/rgb_png_reading.h"

#include <png.h>

#include <cstdio>

#include "png/indexed_png.h"

namespace {

std::string formatName(png_uint_32 format) {
    if (format & PNG_FORMAT_FLAG_COLORMAP) return "an indexed PNG";
    if (format & PNG_FORMAT_FLAG_LINEAR) return "a PNG of 16 bits a channel";
    if (!(format & PNG_FORMAT_FLAG_COLOR)) return "a grey PNG";
    return format & PNG_FORMAT_FLAG_ALPHA ? "an RGBA PNG" : "an RGB PNG";
}

}  // namespace

Result<> decodeRgbPng(const uint8_t* data, size_t size, int width, int height, int channels,
                      std::vector<uint8_t>& pixels) {
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) {
        return Result<>::failed(1, "no picture of that size");
    }
    constexpr size_t kSignatureBytes = 8;
    if (size < kSignatureBytes || png_sig_cmp(data, 0, kSignatureBytes) != 0) {
        return Result<>::failed(1, "not a PNG");
    }
    const size_t pixelBytes = static_cast<size_t>(width) * height * channels;
    if (size > kMaxPngFileBytes + pixelBytes) {
        return Result<>::failed(1, "larger than a texture file can be");
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        const std::string why = std::string("not a readable PNG: ") + image.message;
        png_image_free(&image);
        return Result<>::failed(1, why);
    }
    const png_uint_32 wanted = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    if (image.format != wanted) {
        const std::string why = formatName(image.format) + ", not " + formatName(wanted);
        png_image_free(&image);
        return Result<>::failed(1, why);
    }
    if (image.width != static_cast<png_uint_32>(width) ||
        image.height != static_cast<png_uint_32>(height)) {
        char text[120];
        std::snprintf(text, sizeof text, "other size than the image: %u x %u, the image is %d x %d",
                      image.width, image.height, width, height);
        const std::string why = text;
        png_image_free(&image);
        return Result<>::failed(1, why);
    }
    pixels.assign(pixelBytes, 0);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        const std::string why = std::string("not a readable PNG: ") + image.message;
        png_image_free(&image);
        return Result<>::failed(1, why);
    }
    png_image_free(&image);
    return {};
}
