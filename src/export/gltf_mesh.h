#pragma once

#include <tiny_gltf.h>

#include <vector>

#include "model/matrix.h"

class BoneNode;
class GltfBuffer;
class TexturePage;

// Adds the one skinned mesh: for every part of the tree, in pre-order, a primitive for its
// untextured and one for its textured polygons (none for an empty group). Corners are placed
// by the loaded transforms (loadedGlobals, one per pre-order node) and bound with weight 1 to
// the node that carries the part, the node's pre-order index being its joint index. Adds the
// materials and, when something is textured, the texture page. Returns the mesh index, or -1
// when the tree has no polygon.
int addSkinnedMesh(tinygltf::Model& doc, GltfBuffer& buffer, const BoneNode& root,
                   const std::vector<Mat4d>& loadedGlobals, const TexturePage& page, bool binary);

// A display colour value as glTF's linear vertex colour.
float linearFromDisplay(float value);
