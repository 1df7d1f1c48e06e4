#include "model/model_state.h"

#include <memory>

#include "model/bone_node.h"
#include "model/part_mesh.h"

BoneNode* rootNode = nullptr;
std::vector<PartMesh*> partList;
std::vector<int32_t> boneIndexList;
int32_t selectedBone = 0;

namespace {

// Owns every mesh and node for the life of the process. Nodes hold plain pointers to their
// children, so releasing them never recurses, whatever the depth of the tree.
struct ModelStore {
    std::vector<std::unique_ptr<PartMesh>> meshes;
    std::vector<std::unique_ptr<BoneNode>> nodes;
};

ModelStore& store() {
    static ModelStore instance;
    return instance;
}

}  // namespace

PartMesh* newPartMesh() {
    store().meshes.push_back(std::make_unique<PartMesh>());
    return store().meshes.back().get();
}

BoneNode* newBoneNode(PartMesh* mesh, int32_t boneId) {
    store().nodes.push_back(std::make_unique<BoneNode>(mesh, boneId));
    return store().nodes.back().get();
}

void createRootNode() {
    if (rootNode) return;
    rootNode = newBoneNode(newPartMesh(), 0);
}

void resetModelState() {
    rootNode = nullptr;
    partList.clear();
    boneIndexList.clear();
    selectedBone = 0;
    store().nodes.clear();
    store().meshes.clear();
    createRootNode();
}
