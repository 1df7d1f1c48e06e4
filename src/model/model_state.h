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
