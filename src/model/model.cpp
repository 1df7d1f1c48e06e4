#include "model/model.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "texture/texture_page.h"

Model::Model() : texturePage_(std::make_unique<TexturePage>()) {}

Model::~Model() = default;

namespace {

// Reads the whole file; false (with errno set) on a read error. Only the bytes actually read
// are kept, so a file that shrinks while it is read is parsed as far as it goes.
bool readWholeFile(FILE* file, std::vector<uint8_t>& data) {
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) return false;
    data.resize(static_cast<size_t>(size));
    const size_t got = data.empty() ? 0 : std::fread(data.data(), 1, data.size(), file);
    if (std::ferror(file)) return false;
    data.resize(got);
    return true;
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
