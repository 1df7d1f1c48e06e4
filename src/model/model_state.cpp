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
// Each mesh and node carries the generation of the state it was made for, so that the state of
// a model replaced by another can be freed.
struct ModelStore {
    uint32_t generation = 0;
    std::vector<std::pair<uint32_t, std::unique_ptr<PartMesh>>> meshes;
    std::vector<std::pair<uint32_t, std::unique_ptr<BoneNode>>> nodes;
};

ModelStore& store() {
    static ModelStore instance;
    return instance;
}

template <typename T>
void releaseGeneration(std::vector<std::pair<uint32_t, std::unique_ptr<T>>>& items,
                       uint32_t generation) {
    std::vector<std::pair<uint32_t, std::unique_ptr<T>>> kept;
    for (auto& item : items) {
        if (item.first != generation) kept.push_back(std::move(item));
    }
    items.swap(kept);
}

void releaseGeneration(uint32_t generation) {
    releaseGeneration(store().meshes, generation);
    releaseGeneration(store().nodes, generation);
}

}  // namespace

PartMesh* newPartMesh() {
    store().meshes.emplace_back(store().generation, std::make_unique<PartMesh>());
    return store().meshes.back().second.get();
}

BoneNode* newBoneNode(PartMesh* mesh, int32_t boneId) {
    store().nodes.emplace_back(store().generation, std::make_unique<BoneNode>(mesh, boneId));
    return store().nodes.back().second.get();
}

HeldModelState holdModelState() {
    HeldModelState held{rootNode, std::move(partList), std::move(boneIndexList), selectedBone,
                        store().generation};
    partList.clear();
    boneIndexList.clear();
    selectedBone = 0;
    rootNode = nullptr;
    ++store().generation;
    createRootNode();
    return held;
}

void restoreModelState(HeldModelState&& held) {
    releaseGeneration(store().generation);
    rootNode = held.root;
    partList = std::move(held.parts);
    boneIndexList = std::move(held.boneIndices);
    selectedBone = held.selected;
    store().generation = held.generation;
}

void releaseModelState(HeldModelState&& held) {
    releaseGeneration(held.generation);
    held = HeldModelState{};
}

void createRootNode() {
    if (rootNode) return;
    rootNode = newBoneNode(newPartMesh(), 0);
}

void resetModelState() {
    rootNode = nullptr;
    store().generation = 0;
    partList.clear();
    boneIndexList.clear();
    selectedBone = 0;
    store().nodes.clear();
    store().meshes.clear();
    createRootNode();
}
