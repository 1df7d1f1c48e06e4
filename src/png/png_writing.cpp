#include "png/png_writing.h"

#include <png.h>

#include <memory>

#include "io/file_saving.h"

// libpng's simplified writer at its fast setting: a batch of pictures spent half its time
// compressing with stb's encoder, for files a few per cent smaller.
bool encodePng(int width, int height, int channels, const uint8_t* pixels,
               std::vector<uint8_t>& png) {
    png.clear();
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    image.flags = PNG_IMAGE_FLAG_FAST;
    // Room for the largest PNG the image can give, so that it is compressed only once.
    // Left uninitialised: filling it would cost more than the compression.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    const std::unique_ptr<uint8_t[]> buffer(new uint8_t[size]);
    const png_int_32 stride = width * channels;
    const bool written =
        png_image_write_to_memory(&image, buffer.get(), &size, 0, pixels, stride, nullptr) != 0;
    png_image_free(&image);
    if (written) png.assign(buffer.get(), buffer.get() + size);
    return written;
}

Result<> writePngFile(const std::string& path, int width, int height, int channels,
                      const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> png;
    if (!encodePng(width, height, channels, pixels.data(), png)) {
        return Result<>::failed(1, "the PNG could not be encoded");
    }
    const SaveResult saved = saveFile(path, png);
    if (saved.outcome == SaveOutcome::Saved) return {};
    return Result<>::failed(1, describeSaveFailure(saved));
}
