#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"

namespace test_support {

// A model of its own for each test, its tree and lists under the names the viewer gives them.
class ModelFixture : public testing::Test {
  protected:
    Model model;
    BoneNode* rootNode = model.rootNode();
    std::vector<PartMesh*>& partList = model.partList();
    std::vector<int32_t>& boneIndexList = model.boneIndexList();

    PartMesh* newPartMesh() { return model.newPartMesh(); }
    BoneNode* newBoneNode(PartMesh* mesh, int32_t id) { return model.newBoneNode(mesh, id); }
    // Starts again from an empty model.
    void resetModelState() {
        model = Model();
        rootNode = model.rootNode();
    }
};

}  // namespace test_support
