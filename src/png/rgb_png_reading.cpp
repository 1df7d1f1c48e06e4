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

bool decodeRgbPng(const uint8_t* data, size_t size, int width, int height, int channels,
                  std::vector<uint8_t>& pixels, std::string& error) {
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) {
        error = "no picture of that size";
        return false;
    }
    constexpr size_t kSignatureBytes = 8;
    if (size < kSignatureBytes || png_sig_cmp(data, 0, kSignatureBytes) != 0) {
        error = "not a PNG";
        return false;
    }
    const size_t pixelBytes = static_cast<size_t>(width) * height * channels;
    if (size > kMaxPngFileBytes + pixelBytes) {
        error = "larger than a texture file can be";
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        error = std::string("not a readable PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    const png_uint_32 wanted = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    if (image.format != wanted) {
        error = formatName(image.format) + ", not " + formatName(wanted);
        png_image_free(&image);
        return false;
    }
    if (image.width != static_cast<png_uint_32>(width) ||
        image.height != static_cast<png_uint_32>(height)) {
        char text[120];
        std::snprintf(text, sizeof text, "other size than the image: %u x %u, the image is %d x %d",
                      image.width, image.height, width, height);
        error = text;
        png_image_free(&image);
        return false;
    }
    pixels.assign(pixelBytes, 0);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        error = std::string("not a readable PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    png_image_free(&image);
    return true;
}
