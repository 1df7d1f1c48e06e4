#pragma once

#include <cstdint>
#include <vector>

class BoneNode;
class PartMesh;

// Process-wide model state, shared by the loader, the drawing and the input handlers.
extern BoneNode* rootNode;                  // bone id 0, the whole model
extern std::vector<PartMesh*> partList;     // bone i's mesh at index i
extern std::vector<int32_t> boneIndexList;  // 0 .. n - 1, one per bone
extern int32_t selectedBone;                // 0 = whole model, i = bone id i

// Meshes and nodes live until the process ends; this store owns them so that nothing dangles
// and nothing is reported as leaked at exit.
PartMesh* newPartMesh();
BoneNode* newBoneNode(PartMesh* mesh, int32_t boneId);

// Creates the empty root mesh and rootNode (bone id 0) when there is none yet.
void createRootNode();
// Drops every mesh, node and list entry and makes a fresh root: for tests and benchmarks.
void resetModelState();

// The bone state of one model, held aside while another model loads.
struct HeldModelState {
    BoneNode* root = nullptr;
    std::vector<PartMesh*> parts;
    std::vector<int32_t> boneIndices;
    int32_t selected = 0;
    uint32_t generation = 0;  // the meshes and nodes made while it was current
};
// Moves rootNode, partList, boneIndexList and selectedBone aside and starts an empty state with
// a fresh root; the meshes and nodes made from now on belong to the new state.
HeldModelState holdModelState();
// Puts a held state back and frees the meshes and nodes of the state it replaces.
void restoreModelState(HeldModelState&& held);
// Frees the meshes and nodes of a held state that will not come back.
void releaseModelState(HeldModelState&& held);
