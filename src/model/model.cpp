#include "model/model.h"

#include <cstdio>
#include <vector>

#include "console/console.h"
#include "io/file_reading.h"
#include "texture/texture_page.h"

Model::Model() : texturePage_(std::make_unique<TexturePage>()) {}

Model::~Model() = default;

int Model::loadSkeleton(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        consoleProblem("%s cannot found...\n", path);
        return -1;
    }
    std::vector<uint8_t> data;
    const bool read = readArchiveFile(file, path, data);
    std::fclose(file);
    if (!read) return -1;
    return parseSkeleton(data.data(), data.size());
}
