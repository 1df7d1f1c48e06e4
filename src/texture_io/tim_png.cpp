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

Failure refusal(std::string why) {
    return {1, std::move(why)};
}

// The colours of an indexed file, each alpha 0 or 255.
Result<> paletteOf(const IndexedImage& image, const std::vector<uint8_t>& alphas,
                   std::vector<TimRgba>& palette) {
    palette.clear();
    for (size_t k = 0; k < image.palette.size(); ++k) {
        const uint8_t alpha = alphas[k];
        if (alpha != 0 && alpha != 255) {
            return refusal(
                numbered("colour %zu partly transparent: a TIM's are clear or opaque", k));
        }
        const IndexedImage::Colour& c = image.palette[k];
        palette.push_back({c.red, c.green, c.blue, alpha});
    }
    return {};
}

Result<> readIndexed(const std::vector<std::vector<uint8_t>>& pngs, const TimInfo& info,
                     TimPicture& picture) {
    // With several files, a refusal says whose.
    const auto ofFile = [&pngs](size_t m, const Result<>& refused) {
        return pngs.size() > 1 ? refusal(numbered("palette %zu's file: ", m) + refused.message)
                               : refused.failure();
    };
    for (size_t m = 0; m < pngs.size(); ++m) {
        IndexedImage image;
        std::vector<uint8_t> alphas;
        const Result<> decoded =
            decodeIndexedPngWithAlphas(pngs[m].data(), pngs[m].size(), info.width, info.height,
                                       info.coloursPerPalette(), image, alphas);
        if (!decoded) return ofFile(m, decoded);
        if (m == 0) {
            picture.indices = image.indices;
        } else if (image.indices != picture.indices) {
            return refusal(numbered("palette %zu's file has other indices than palette 0's", m));
        }
        picture.palettes.emplace_back();
        const Result<> colours = paletteOf(image, alphas, picture.palettes.back());
        if (!colours) return ofFile(m, colours);
    }
    return {};
}

Result<> readDirect(const std::vector<uint8_t>& png, const TimInfo& info, TimPicture& picture) {
    const int channels = info.bpp == 16 ? 4 : 3;
    std::vector<uint8_t>& pixels = info.bpp == 16 ? picture.rgba : picture.rgb;
    const Result<> decoded =
        decodeRgbPng(png.data(), png.size(), info.width, info.height, channels, pixels);
    if (!decoded) return decoded;
    for (size_t i = 3; channels == 4 && i < pixels.size(); i += 4) {
        if (pixels[i] != 0 && pixels[i] != 255) {
            const size_t pixel = i / 4;
            return refusal("pixel (" + std::to_string(pixel % info.width) + ", " +
                           std::to_string(pixel / info.width) +
                           ") partly transparent: a TIM's are clear or opaque");
        }
    }
    return {};
}

Result<std::vector<uint8_t>> readFileBytes(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return refusal(path + ": " + std::strerror(errno));
    // A PNG of a TIM's size is far below this; more is not one of ours.
    constexpr size_t kLimit = size_t{256} << 20;
    BoundedRead read = readUpTo(file, kLimit);
    std::fclose(file);
    if (read.error) return refusal(path + ": " + std::strerror(read.error));
    if (read.more) return refusal(path + ": larger than a texture file can be");
    return std::move(read.bytes);
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

Result<> encodeTimPngs(const TimPicture& picture, std::vector<std::vector<uint8_t>>& pngs) {
    pngs.clear();
    if (picture.bpp == 16 || picture.bpp == 24) {
        const int channels = picture.bpp == 16 ? 4 : 3;
        pngs.emplace_back();
        if (!encodePng(picture.width, picture.height, channels,
                       (picture.bpp == 16 ? picture.rgba : picture.rgb).data(), pngs.back())) {
            return refusal("the PNG could not be encoded");
        }
        return {};
    }
    for (const std::vector<TimRgba>& palette : picture.palettes) {
        std::vector<uint8_t> alphas;
        const IndexedImage image = indexedImage(picture, palette, alphas);
        pngs.emplace_back();
        const Result<> encoded =
            encodeIndexedPngWithAlphas(image, picture.bpp, alphas, pngs.back());
        if (!encoded) return encoded;
    }
    if (pngs.empty()) return refusal("a TIM without palettes");
    return {};
}

Result<> writeTimPngs(const std::string& timPath, const uint8_t* tim, const TimInfo& info) {
    std::vector<std::vector<uint8_t>> pngs;
    const Result<> encoded = encodeTimPngs(decodeTim(tim, info), pngs);
    if (!encoded) return encoded;
    const std::vector<std::string> paths = timPngPaths(timPath, info);
    for (size_t k = 0; k < paths.size(); ++k) {
        const SaveResult saved = saveFile(paths[k], pngs[k]);
        if (saved.outcome != SaveOutcome::Saved) {
            return refusal(paths[k] + ": " + describeSaveFailure(saved));
        }
    }
    return {};
}

Result<> readTimPngs(const std::vector<std::vector<uint8_t>>& pngs, const TimInfo& info,
                     uint8_t* tim) {
    const bool indexed = info.bpp == 4 || info.bpp == 8;
    if (pngs.empty() || (pngs.size() != 1 && (!indexed || pngs.size() != fileCount(info)))) {
        return refusal(numbered("%zu PNG files for a TIM of ", pngs.size()) +
                       numbered("%zu: one, or one per palette", fileCount(info)));
    }
    TimPicture picture;
    picture.bpp = info.bpp;
    picture.width = info.width;
    picture.height = info.height;
    const Result<> read =
        indexed ? readIndexed(pngs, info, picture) : readDirect(pngs[0], info, picture);
    if (!read) return read;
    if (!encodeTim(picture, info, tim)) return refusal("a picture the TIM cannot hold");
    return {};
}

Result<> readTimPngFiles(const std::string& timPath, const TimInfo& info, uint8_t* tim) {
    const std::vector<std::string> paths = timPngPaths(timPath, info);
    size_t present = 0;
    for (const std::string& path : paths) {
        std::error_code ignored;
        present += std::filesystem::exists(path, ignored);
    }
    const size_t wanted = present == paths.size() ? paths.size() : 1;
    if (present > 1 && present < paths.size()) {
        return refusal(
            numbered("%zu of the ", present) +
            numbered("%zu palette files are there: all, or palette 0's alone", paths.size()));
    }
    std::vector<std::vector<uint8_t>> pngs(wanted);
    for (size_t k = 0; k < wanted; ++k) {
        Result<std::vector<uint8_t>> bytes = readFileBytes(paths[k]);
        if (!bytes) return bytes.failure();
        pngs[k] = std::move(bytes).value();
    }
    const Result<> read = readTimPngs(pngs, info, tim);
    if (!read) return refusal((wanted == 1 ? paths[0] + ": " : std::string()) + read.message);
    return {};
}
