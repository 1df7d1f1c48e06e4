#include "texture_io/tim_png.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "io/file_reading.h"
#include "io/file_saving.h"
#include "png/indexed_png.h"
#include "png/png_writing.h"
#include "png/rgb_png_reading.h"

namespace {

std::string numbered(const char* format, size_t value) {
    char text[120];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

size_t fileCount(const TimInfo& info) {
    return info.palettes > 1 ? static_cast<size_t>(info.palettes) : 1;
}

IndexedImage indexedImage(const TimPicture& picture, const std::vector<TimRgba>& palette,
                          std::vector<uint8_t>& alphas) {
    IndexedImage image;
    image.width = picture.width;
    image.height = picture.height;
    image.indices = picture.indices;
    alphas.clear();
    for (const TimRgba& colour : palette) {
        image.palette.push_back({colour.red, colour.green, colour.blue});
        alphas.push_back(colour.alpha);
    }
    // The tRNS chunk ends at its last clear colour; those after it are opaque anyway.
    while (!alphas.empty() && alphas.back() == 255) alphas.pop_back();
    return image;
}

// The colours of an indexed file, each alpha 0 or 255.
bool paletteOf(const IndexedImage& image, const std::vector<uint8_t>& alphas,
               std::vector<TimRgba>& palette, std::string& error) {
    palette.clear();
    for (size_t k = 0; k < image.palette.size(); ++k) {
        const uint8_t alpha = alphas[k];
        if (alpha != 0 && alpha != 255) {
            error = numbered("colour %zu partly transparent: a TIM's are clear or opaque", k);
            return false;
        }
        const IndexedImage::Colour& c = image.palette[k];
        palette.push_back({c.red, c.green, c.blue, alpha});
    }
    return true;
}

bool readIndexed(const std::vector<std::vector<uint8_t>>& pngs, const TimInfo& info,
                 TimPicture& picture, std::string& error) {
    for (size_t m = 0; m < pngs.size(); ++m) {
        IndexedImage image;
        std::vector<uint8_t> alphas;
        if (!decodeIndexedPngWithAlphas(pngs[m].data(), pngs[m].size(), info.width, info.height,
                                        info.coloursPerPalette(), image, alphas, error)) {
            if (pngs.size() > 1) error = numbered("palette %zu's file: ", m) + error;
            return false;
        }
        if (m == 0) {
            picture.indices = image.indices;
        } else if (image.indices != picture.indices) {
            error = numbered("palette %zu's file has other indices than palette 0's", m);
            return false;
        }
        picture.palettes.emplace_back();
        if (!paletteOf(image, alphas, picture.palettes.back(), error)) {
            if (pngs.size() > 1) error = numbered("palette %zu's file: ", m) + error;
            return false;
        }
    }
    return true;
}

bool readDirect(const std::vector<uint8_t>& png, const TimInfo& info, TimPicture& picture,
                std::string& error) {
    const int channels = info.bpp == 16 ? 4 : 3;
    std::vector<uint8_t>& pixels = info.bpp == 16 ? picture.rgba : picture.rgb;
    if (!decodeRgbPng(png.data(), png.size(), info.width, info.height, channels, pixels, error)) {
        return false;
    }
    for (size_t i = 3; channels == 4 && i < pixels.size(); i += 4) {
        if (pixels[i] != 0 && pixels[i] != 255) {
            const size_t pixel = i / 4;
            error = "pixel (" + std::to_string(pixel % info.width) + ", " +
                    std::to_string(pixel / info.width) +
                    ") partly transparent: a TIM's are clear or opaque";
            return false;
        }
    }
    return true;
}

bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    // A PNG of a TIM's size is far below this; more is not one of ours.
    constexpr size_t kLimit = size_t{256} << 20;
    BoundedRead read = readUpTo(file, kLimit);
    std::fclose(file);
    if (read.error) {
        error = path + ": " + std::strerror(read.error);
        return false;
    }
    if (read.more) {
        error = path + ": larger than a texture file can be";
        return false;
    }
    bytes = std::move(read.bytes);
    return true;
}

}  // namespace

std::vector<std::string> timPngPaths(const std::string& timPath, const TimInfo& info) {
    const std::filesystem::path path(timPath);
    std::string stem = timPath;
    if (path.has_extension() && path.filename() != path.extension()) {
        stem.resize(timPath.size() - path.extension().string().size());
    }
    std::vector<std::string> paths;
    if (fileCount(info) == 1) {
        paths.push_back(stem + ".png");
    } else {
        for (size_t m = 0; m < fileCount(info); ++m) {
            paths.push_back(stem + numbered("-palette%zu.png", m));
        }
    }
    return paths;
}

bool encodeTimPngs(const TimPicture& picture, std::vector<std::vector<uint8_t>>& pngs,
                   std::string& error) {
    pngs.clear();
    if (picture.bpp == 16 || picture.bpp == 24) {
        const int channels = picture.bpp == 16 ? 4 : 3;
        pngs.emplace_back();
        if (!encodePng(picture.width, picture.height, channels,
                       (picture.bpp == 16 ? picture.rgba : picture.rgb).data(), pngs.back())) {
            error = "the PNG could not be encoded";
            return false;
        }
        return true;
    }
    for (const std::vector<TimRgba>& palette : picture.palettes) {
        std::vector<uint8_t> alphas;
        const IndexedImage image = indexedImage(picture, palette, alphas);
        pngs.emplace_back();
        if (!encodeIndexedPngWithAlphas(image, picture.bpp, alphas, pngs.back(), error)) {
            return false;
        }
    }
    if (pngs.empty()) error = "a TIM without palettes";
    return !pngs.empty();
}

bool writeTimPngs(const std::string& timPath, const uint8_t* tim, const TimInfo& info,
                  std::string& error) {
    std::vector<std::vector<uint8_t>> pngs;
    if (!encodeTimPngs(decodeTim(tim, info), pngs, error)) return false;
    const std::vector<std::string> paths = timPngPaths(timPath, info);
    for (size_t k = 0; k < paths.size(); ++k) {
        const SaveResult saved = saveFile(paths[k], pngs[k]);
        if (saved.outcome != SaveOutcome::Saved) {
            error = paths[k] + ": " + describeSaveFailure(saved);
            return false;
        }
    }
    return true;
}

bool readTimPngs(const std::vector<std::vector<uint8_t>>& pngs, const TimInfo& info, uint8_t* tim,
                 std::string& error) {
    const bool indexed = info.bpp == 4 || info.bpp == 8;
    if (pngs.empty() || (pngs.size() != 1 && (!indexed || pngs.size() != fileCount(info)))) {
        error = numbered("%zu PNG files for a TIM of ", pngs.size()) +
                numbered("%zu: one, or one per palette", fileCount(info));
        return false;
    }
    TimPicture picture;
    picture.bpp = info.bpp;
    picture.width = info.width;
    picture.height = info.height;
    const bool read = indexed ? readIndexed(pngs, info, picture, error)
                              : readDirect(pngs[0], info, picture, error);
    if (!read) return false;
    if (!encodeTim(picture, info, tim)) {
        error = "a picture the TIM cannot hold";
        return false;
    }
    return true;
}

bool readTimPngFiles(const std::string& timPath, const TimInfo& info, uint8_t* tim,
                     std::string& error) {
    const std::vector<std::string> paths = timPngPaths(timPath, info);
    size_t present = 0;
    for (const std::string& path : paths) {
        std::error_code ignored;
        present += std::filesystem::exists(path, ignored);
    }
    const size_t wanted = present == paths.size() ? paths.size() : 1;
    if (present > 1 && present < paths.size()) {
        error = numbered("%zu of the ", present) +
                numbered("%zu palette files are there: all, or palette 0's alone", paths.size());
        return false;
    }
    std::vector<std::vector<uint8_t>> pngs(wanted);
    for (size_t k = 0; k < wanted; ++k) {
        if (!readFileBytes(paths[k], pngs[k], error)) return false;
    }
    if (!readTimPngs(pngs, info, tim, error)) {
        error = (wanted == 1 ? paths[0] + ": " : std::string()) + error;
        return false;
    }
    return true;
}
