#include <cstdio>
#include <vector>

#include "archive/archive.h"
#include "console/console.h"
#include "io/file_reading.h"
#include "texture/texture_page.h"

int TexturePage::scanArchive(const char* path) {
    FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) {
        consolePrintf("File cannot open. [%s]\n", path ? path : "");
        return -1;
    }
    const int result = scanArchive(file);
    std::fclose(file);
    return result;
}

int TexturePage::scanArchive(FILE* file) {
    if (!file) {
        consolePrintf("File cannot open. [%s]\n", "(no stream)");
        return -1;
    }
    const long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        consolePrintf("Error : archive size cannot be taken.\n");
        return -1;
    }
    // Nothing of an archive too large to be a model is scanned. The skeleton loader, which
    // always follows the scan, refuses it too and names the file and its size in one line.
    if (static_cast<uint64_t>(size) > kArchiveSizeLimit) return -1;
    const BoundedRead read = readUpTo(file, kArchiveSizeLimit);
    if (read.more) return -1;
    if (read.error != 0) {
        consolePrintf("Error : texture entry cannot be read. [%x,%zx]\n", 0u, read.bytes.size());
        return -1;
    }
    return scanArchive(read.bytes.data(), read.bytes.size());
}

int TexturePage::scanArchive(const uint8_t* data, size_t size) {
    const Archive archive = parseArchive(data, size);
    for (const std::string& line : textureLoaderLines(archive)) consolePrintf("%s", line.c_str());
    decodeImages(data, archive);
    return archive.texturesResult();
}

void TexturePage::decodeImages(const uint8_t* data, const Archive& archive) {
    const BoundedReader bytes(data, archive.size);
    for (const ImageEntry& image : archive.images) {
        if (!image.inside) continue;
        decodeChecked(bytes.slice(image.start, image.end - image.start), image.check);
    }
}
