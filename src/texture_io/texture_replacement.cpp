#include "texture_io/texture_replacement.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

#include "io/byte_order.h"
#include "io/file_reading.h"
#include "png/indexed_png.h"
#include "texture_io/archive_images.h"
#include "tim/tim_pixels.h"

namespace {

// All the texture files of one folder together; more is not the extract of one archive.
constexpr size_t kMaxTextureFolderBytes = size_t{256} << 20;

// One image's files, decoded: the indices of the first and the palettes they bring.
struct ImageEdit {
    const ArchiveImage* image = nullptr;
    const TextureInput* first = nullptr;
    std::vector<uint8_t> indices;
    std::map<int, std::vector<TimRgba>> palettes;
};

// Parses the decimal number at text[at...] up to the first non-digit: no sign, no leading zero.
bool parseNumber(const std::string& text, size_t& at, uint64_t limit, uint64_t& value) {
    const size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        value = 10 * value + static_cast<unsigned>(text[at] - '0');
        if (value > limit) return false;
        ++at;
    }
    return at > start && (at - start == 1 || text[start] != '0');
}

bool endsWithPng(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ending = name.substr(name.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == ".png";
}

std::string pixelText(size_t i, int width) {
    return "(" + std::to_string(i % width) + ", " + std::to_string(i / width) + ")";
}

std::string whyNotAnImage(const ArchiveImages& found, uint32_t entry) {
    for (const SkippedEntry& skipped : found.skipped) {
        if (skipped.entry == entry) return " (" + skipped.reason + ")";
    }
    return "";
}

// Checks one file against the archive and adds it to its image's edit; fails with the line.
Result<> addFile(const ArchiveImages& found, const TextureInput& file,
                 std::map<uint32_t, ImageEdit>& edits) {
    uint32_t entry = 0;
    int m = 0;
    if (!parseTextureFileName(file.name, entry, m)) {
        return Result<>::failed(1, file.path + ": the name does not fit entry<E>-palette<M>.png");
    }
    const ArchiveImage* image = found.find(entry);
    if (!image) {
        return Result<>::failed(1, file.path + ": entry " + std::to_string(entry) +
                                       " is not a decoded image of the archive" +
                                       whyNotAnImage(found, entry));
    }
    if (m >= image->header.paletteCount) {
        return Result<>::failed(1, file.path + ": entry " + std::to_string(entry) + " has " +
                                       std::to_string(image->header.paletteCount) +
                                       " palettes, not a palette " + std::to_string(m));
    }
    IndexedImage decoded;
    const Result<> read = decodeIndexedPng(file.bytes.data(), file.bytes.size(),
                                           image->header.width, image->header.height, decoded);
    if (!read) {
        return Result<>::failed(1, file.path + ": " + read.message);
    }
    ImageEdit& edit = edits[entry];
    if (!edit.first) {
        edit.image = image;
        edit.first = &file;
        edit.indices = std::move(decoded.indices);
    } else {
        const auto differ =
            std::mismatch(edit.indices.begin(), edit.indices.end(), decoded.indices.begin());
        if (differ.first != edit.indices.end()) {
            const size_t i = static_cast<size_t>(differ.first - edit.indices.begin());
            return Result<>::failed(
                1, file.path + ": pixel " + pixelText(i, decoded.width) + " is index " +
                       std::to_string(*differ.second) + ", in " + edit.first->path + " index " +
                       std::to_string(*differ.first) + "; the files of one image must agree");
        }
    }
    // Colours the file's palette lacks keep their stored values.
    std::vector<TimRgba>& palette = edit.palettes[m];
    palette.clear();
    for (const IndexedImage::Colour& c : decoded.palette) {
        palette.push_back({c.red, c.green, c.blue, 255});
    }
    return {};
}

// True when the archive holds the edit's indices and colours as written: false only when
// another image shares these bytes and wrote something else over them.
bool holdsEdit(const uint8_t* archive, const ImageEdit& edit) {
    const ArchiveImage& image = *edit.image;
    const std::vector<uint8_t> indices =
        readImageIndices(archive + image.offset, image.header, image.pixelBytesHeld);
    if (!std::equal(indices.begin(), indices.begin() + 2 * image.pixelBytesHeld,
                    edit.indices.begin())) {
        return false;
    }
    // Each palette packed again over a copy of what the archive holds, and compared.
    for (const auto& [m, colours] : edit.palettes) {
        const uint8_t* held = archive + image.paletteOffset(m);
        uint8_t packed[TimImage::kPaletteBytes];
        std::copy(held, held + TimImage::kPaletteBytes, packed);
        packPalette(packed, colours);
        if (!std::equal(packed, packed + TimImage::kPaletteBytes, held)) return false;
    }
    return true;
}

}  // namespace

bool parseTextureFileName(const std::string& name, uint32_t& entry, int& palette) {
    static const std::string kEntry = "entry", kPalette = "-palette", kEnding = ".png";
    if (name.compare(0, kEntry.size(), kEntry) != 0) return false;
    size_t at = kEntry.size();
    uint64_t e = 0, m = 0;
    if (!parseNumber(name, at, UINT32_MAX, e)) return false;
    if (name.compare(at, kPalette.size(), kPalette) != 0) return false;
    at += kPalette.size();
    if (!parseNumber(name, at, 255, m)) return false;
    if (name.compare(at, std::string::npos, kEnding) != 0) return false;
    entry = static_cast<uint32_t>(e);
    palette = static_cast<int>(m);
    return true;
}

Result<TextureReplacement> replaceTextures(const uint8_t* archive, size_t size,
                                           const std::vector<TextureInput>& files,
                                           const std::string& archiveName) {
    const Result<ArchiveImages> listed = listArchiveImages(archive, size);
    if (!listed) return Failure{1, archiveName + ": " + listed.message};
    const ArchiveImages& found = *listed;
    if (files.empty()) return Failure{1, archiveName + ": no texture file to put back"};
    std::map<uint32_t, ImageEdit> edits;
    for (const TextureInput& file : files) {
        const Result<> added = addFile(found, file, edits);
        if (!added) return added.failure();
    }

    std::vector<uint8_t> out(archive, archive + size);
    for (const auto& [entry, edit] : edits) {
        uint8_t* entryBytes = out.data() + edit.image->offset;
        writeImageIndices(entryBytes, edit.image->header, edit.image->pixelBytesHeld, edit.indices);
        for (const auto& [m, colours] : edit.palettes) writeImagePalette(entryBytes, m, colours);
    }
    for (const auto& [entry, edit] : edits) {
        if (!holdsEdit(out.data(), edit)) {
            return Failure{1, edit.first->path +
                                  ": the image shares bytes of the archive with another image "
                                  "whose files say otherwise"};
        }
    }
    TextureReplacement result;
    result.archive = std::move(out);
    result.imagesReplaced = edits.size();
    return result;
}

Result<> readTextureFolder(const std::string& folder, std::vector<TextureInput>& files) {
    namespace fs = std::filesystem;
    std::error_code code;
    fs::directory_iterator items(folder, code);
    if (code) {
        return Result<>::failed(1, folder + ": " + code.message());
    }
    std::vector<fs::path> paths;
    for (; items != fs::directory_iterator(); items.increment(code)) {
        if (endsWithPng(items->path().filename().string())) paths.push_back(items->path());
    }
    if (code) {
        return Result<>::failed(1, folder + ": " + code.message());
    }
    std::sort(paths.begin(), paths.end());
    size_t total = 0;
    for (const fs::path& path : paths) {
        // A pipe or a device would block or never end; only files are read.
        if (!fs::is_regular_file(path, code)) {
            return Result<>::failed(1, path.string() + ": not a regular file");
        }
        FILE* stream = std::fopen(path.c_str(), "rb");
        if (!stream) {
            return Result<>::failed(1, path.string() + ": " + std::strerror(errno));
        }
        BoundedRead read = readUpTo(stream, kMaxPngFileBytes + 1);
        std::fclose(stream);
        if (read.error) {
            return Result<>::failed(1, path.string() + ": " + std::strerror(read.error));
        }
        total += read.bytes.size();
        if (total > kMaxTextureFolderBytes) {
            return Result<>::failed(1, folder + ": the texture files come to more than 256 MiB");
        }
        // A larger file keeps its first bytes only; the decoder refuses it by its size.
        files.push_back({path.string(), path.filename().string(), std::move(read.bytes)});
    }
    return {};
}
