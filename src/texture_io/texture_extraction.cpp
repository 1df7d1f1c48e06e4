#include "texture_io/texture_extraction.h"

#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <system_error>

#include "io/file_saving.h"
#include "png/indexed_png.h"
#include "texture_io/archive_images.h"
#include "tim/tim_pixels.h"

namespace {

nlohmann::json imageRecord(const ArchiveImage& image) {
    nlohmann::json files = nlohmann::json::array();
    for (int m = 0; m < image.header.paletteCount; ++m) {
        files.push_back(textureFileName(image.entry, m));
    }
    nlohmann::json record = {{"entry", image.entry},
                             {"offset", image.offset},
                             {"width", image.header.width},
                             {"height", image.header.height},
                             {"palettes", image.header.paletteCount},
                             {"files", files},
                             {"short", image.isShort()}};
    if (image.isShort()) {
        // The rest of the pixels are index 0 in the files and are not written back.
        record["pixelBytes"] = image.pixelBytesNeeded;
        record["pixelBytesHeld"] = image.pixelBytesHeld;
    }
    return record;
}

}  // namespace

std::string textureFileName(uint32_t entry, int palette) {
    return "entry" + std::to_string(entry) + "-palette" + std::to_string(palette) + ".png";
}

Result<TextureExtraction> extractTextures(const uint8_t* archive, size_t size) {
    const Result<ArchiveImages> listed = listArchiveImages(archive, size);
    if (!listed) return listed.failure();
    const ArchiveImages& found = *listed;
    TextureExtraction result;
    nlohmann::json images = nlohmann::json::array();
    for (const ArchiveImage& image : found.images) {
        IndexedImage file;
        file.width = image.header.width;
        file.height = image.header.height;
        const uint8_t* entry = archive + image.offset;
        file.indices = readImageIndices(entry, image.header, image.pixelBytesHeld);
        for (int m = 0; m < image.header.paletteCount; ++m) {
            file.palette.clear();
            for (const TimRgba& c : readImagePalette(entry, m)) {
                file.palette.push_back({c.red, c.green, c.blue});
            }
            TextureFile png{textureFileName(image.entry, m), {}};
            const Result<> encoded = encodeIndexedPng(file, png.bytes);
            if (!encoded) return Failure{1, png.name + ": " + encoded.message};
            result.files.push_back(std::move(png));
        }
        images.push_back(imageRecord(image));
    }
    if (found.images.empty()) return Failure{kNoTextureImage, "no texture image"};
    nlohmann::json skipped = nlohmann::json::array();
    for (const SkippedEntry& entry : found.skipped) {
        skipped.push_back(
            {{"entry", entry.entry}, {"offset", entry.offset}, {"reason", entry.reason}});
    }
    const std::string json =
        nlohmann::json{{"images", images}, {"skipped", skipped}}.dump(2) + "\n";
    result.files.push_back({"textures.json", std::vector<uint8_t>(json.begin(), json.end())});
    result.imageCount = found.images.size();
    return result;
}

Result<> writeTextureFiles(const std::string& folder, const std::vector<TextureFile>& files) {
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code || !std::filesystem::is_directory(folder)) {
        return Result<>::failed(
            1, folder + ": " + (code ? code.message() : std::string("not a folder")));
    }
    for (const TextureFile& file : files) {
        const std::string path = (std::filesystem::path(folder) / file.name).string();
        const SaveResult saved = saveFile(path, file.bytes);
        if (saved.outcome != SaveOutcome::Saved) {
            return Result<>::failed(1, path + ": " + std::strerror(saved.error));
        }
    }
    return {};
}
