#include "model/model.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "texture/texture_page.h"

Model::Model() : texturePage_(std::make_unique<TexturePage>()) {}

Model::~Model() = default;

namespace {

// Reads the file to its end in chunks. The size the file reports is only a hint for the first
// allocation, since a directory or a device reports sizes that are not its content.
bool readWholeFile(FILE* file, std::vector<uint8_t>& data) {
    struct stat info {};
    if (::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        data.reserve(static_cast<size_t>(info.st_size));
    }
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        data.insert(data.end(), chunk, chunk + got);
    }
    return !std::ferror(file);
}

}  // namespace

int Model::loadSkeleton(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::printf("%s cannot found...\n", path);
        return -1;
    }
    std::vector<uint8_t> data;
    const bool read = readWholeFile(file, data);
    const int readError = errno;
    std::fclose(file);
    if (!read) {
        std::printf("%s cannot be read: %s\n", path, std::strerror(readError));
        return -1;
    }
    return parseSkeleton(data.data(), data.size());
}
