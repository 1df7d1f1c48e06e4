#include "model/model.h"

#include <cstdio>
#include <vector>

#include "archive/archive.h"
#include "console/console.h"
#include "io/file_reading.h"
#include "model/bone_node.h"
#include "model/part_mesh.h"
#include "texture/texture_page.h"

Model::Model() : texturePage_(std::make_unique<TexturePage>()) {
    rootNode_ = newBoneNode(newPartMesh(), 0);
}

Model::~Model() = default;
Model::Model(Model&&) noexcept = default;
Model& Model::operator=(Model&&) noexcept = default;

PartMesh* Model::newPartMesh() {
    meshes_.push_back(std::make_unique<PartMesh>());
    return meshes_.back().get();
}

BoneNode* Model::newBoneNode(PartMesh* mesh, int32_t boneId) {
    nodes_.push_back(std::make_unique<BoneNode>(mesh, boneId));
    return nodes_.back().get();
}

int Model::loadTextures(const char* path) {
    return texturePage_->scanArchive(path);
}

int Model::loadSkeleton(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        consolePrintf("%s cannot found...\n", path);
        return -1;
    }
    std::vector<uint8_t> data;
    const Result<> read = readArchiveFile(file, path, data);
    std::fclose(file);
    if (!read.ok()) {
        consolePrintf("%s", read.message.c_str());
        return -1;
    }
    return parseSkeleton(data.data(), data.size());
}

int Model::parseSkeleton(const uint8_t* data, size_t size) {
    const Archive archive = parseArchive(data, size);
    for (const std::string& line : skeletonLoaderLines(archive)) consolePrintf("%s", line.c_str());
    buildSkeleton(data, archive);
    return archive.skeletonResult();
}
