#include "model/model.h"

#include <vector>

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
