#include "shell/model_takeover.h"

#include <algorithm>

#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "texture/texture_page.h"

std::vector<int32_t> treeShapeOf(const BoneNode& root) {
    std::vector<int32_t> shape;
    forEachPreOrder(root, [&shape](const BoneNode& node) {
        shape.push_back(node.boneId);
        shape.push_back(static_cast<int32_t>(node.children.size()));
    });
    return shape;
}

ShownModelView viewOf(const BoneNode& root, const std::vector<PartMesh*>& parts,
                      int32_t selectedBone, const Pose& loadedPose) {
    ShownModelView view;
    view.treeShape = treeShapeOf(root);
    for (const PartMesh* mesh : parts) view.partsVisible.push_back(mesh->isVisible());
    view.selectedBone = selectedBone;
    view.pose = Pose::capture(root);
    view.poseEdited = view.pose != loadedPose;
    return view;
}

Refusal refusalOf(const Result<Document>& loaded, Takeover how) {
    if (!loaded.ok()) return Refusal::Unreadable;
    const bool hasTexture = loaded->model->texturePage().width != 0;
    if (!loaded->hasBones() && !hasTexture) return Refusal::NoBoneNoTexture;
    if (how == Takeover::Reload && loaded->archive.cutShort()) return Refusal::CutShort;
    return Refusal::None;
}

Carried carriedOver(Takeover how, const ShownModelView& before,
                    const std::vector<int32_t>& newTreeShape) {
    Carried carried;
    if (how == Takeover::Reload && before.treeShape == newTreeShape) {
        carried.parts = carried.selection = true;
        carried.pose = before.poseEdited;
    } else if (how == Takeover::Walk) {
        const auto& shown = before.partsVisible;
        carried.allParts =
            !shown.empty() && std::all_of(shown.begin(), shown.end(), [](int32_t v) { return v; });
    }
    return carried;
}

void carryOver(const Carried& carried, const ShownModelView& before, BoneNode& root,
               std::vector<PartMesh*>& parts, int32_t& selectedBone) {
    for (size_t k = 0; k < parts.size(); ++k) {
        if (carried.allParts) parts[k]->setVisible(1);
        if (carried.parts && k < before.partsVisible.size())
            parts[k]->setVisible(before.partsVisible[k]);
    }
    if (carried.selection) selectedBone = before.selectedBone;
    if (carried.pose) {
        Pose pose = Pose::capture(root);
        for (const Pose::Entry& entry : before.pose.entries()) {
            if (NodeMatrices* now = pose.find(entry.boneId)) {
                now->user = entry.matrices.user;
                now->pose = entry.matrices.pose;
            }
        }
        pose.apply(root);
    }
}
