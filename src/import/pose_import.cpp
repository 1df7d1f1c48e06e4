#include "import/pose_import.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "import/gltf_values.h"
#include "model/bone_node.h"
#include "model/part_mesh.h"

namespace {

// The export's "model" node turns the viewer's axes into glTF's by +90 degrees about x; its
// inverse takes the glTF world back to the frame the viewer draws the root in.
Mat4d worldToViewer() {
    Mat4d m = identity4d();
    m[5] = 0;
    m[6] = -1;
    m[9] = 1;
    m[10] = 0;
    return m;
}

bool isFinite(const Mat4d& m) {
    for (double v : m) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

}  // namespace

std::string GltfPoseSource::open(const tinygltf::Model& doc, const BoneNode& root,
                                 const Pose& loaded) {
    ids_.clear();
    forEachPreOrder(root, [this](const BoneNode& node) { ids_.push_back(node.boneId); });
    parents_ = preOrderParents(root);
    names_.clear();
    for (int32_t id : ids_) names_.push_back(jointName(id));
    if (!matricesInTreeOrder(loaded, root, loaded_))
        return "the archive's pose does not fit its tree";
    loadedGlobal_ = globalTransforms(loaded_, parents_);

    std::string error = readTree(doc);
    if (error.empty()) error = matchJoints(doc);
    if (error.empty()) error = readInverseBinds(doc);
    if (error.empty()) error = findBindSpace(doc, root);
    if (!error.empty()) return error;
    animated_ = !doc.animations.empty();
    return animated_ ? animation_.read(doc, 0) : "";
}

std::string GltfPoseSource::readTree(const tinygltf::Model& doc) {
    const size_t count = doc.nodes.size();
    nodeParent_.assign(count, -1);
    for (size_t i = 0; i < count; ++i) {
        for (int child : doc.nodes[i].children) {
            if (child < 0 || static_cast<size_t>(child) >= count) {
                return "node " + std::to_string(i) + " has a child that does not exist";
            }
            if (nodeParent_[child] != -1 || static_cast<size_t>(child) == i) {
                return "node " + std::to_string(child) + " has two parents";
            }
            nodeParent_[child] = static_cast<int>(i);
        }
    }
    // Parents first: from each node without a parent down; a node never reached is in a cycle.
    nodeOrder_.clear();
    for (size_t i = 0; i < count; ++i) {
        if (nodeParent_[i] == -1) nodeOrder_.push_back(static_cast<int>(i));
    }
    for (size_t k = 0; k < nodeOrder_.size(); ++k) {
        for (int child : doc.nodes[nodeOrder_[k]].children) nodeOrder_.push_back(child);
    }
    if (nodeOrder_.size() != count) return "its nodes form a cycle";
    return readNodeTransforms(doc, nodes_);
}

std::string GltfPoseSource::matchJoints(const tinygltf::Model& doc) {
    // The joints are the skin's; a file without a skin offers every node.
    skin_ = doc.skins.empty() ? -1 : 0;
    std::vector<int> joints;
    if (skin_ >= 0) {
        joints = doc.skins[0].joints;
    } else {
        for (size_t i = 0; i < doc.nodes.size(); ++i) joints.push_back(static_cast<int>(i));
    }
    std::map<std::string, int> byName;
    std::map<int, int32_t> treeNodeOf;  // glTF node -> position in the tree
    std::map<std::string, size_t> treePosition;
    for (size_t k = 0; k < names_.size(); ++k) treePosition[names_[k]] = k;
    std::map<std::string, int> anyByName;
    for (int joint : joints) {
        if (joint >= 0 && static_cast<size_t>(joint) < doc.nodes.size()) {
            anyByName.emplace(doc.nodes[joint].name, joint);
        }
    }
    for (const std::string& name : names_) {
        if (anyByName.count(name) == 0) return "no joint is named " + quoted(name);
    }
    for (int joint : joints) {
        if (joint < 0 || static_cast<size_t>(joint) >= doc.nodes.size()) {
            return "the skin names a joint that does not exist";
        }
        const std::string& name = doc.nodes[joint].name;
        if (treePosition.count(name) == 0) {
            if (skin_ < 0) continue;
            return "joint " + quoted(name) + " is not a bone of the archive's tree";
        }
        if (!byName.emplace(name, joint).second) return "two joints are named " + quoted(name);
    }
    // Every bone's name is a joint's (checked first), so each bone has its joint.
    jointNode_.assign(names_.size(), -1);
    for (size_t k = 0; k < names_.size(); ++k) {
        jointNode_[k] = byName.at(names_[k]);
        treeNodeOf[jointNode_[k]] = static_cast<int32_t>(k);
    }
    // Each joint must hang directly below its bone's parent's joint; the root's below no joint.
    for (size_t k = 0; k < names_.size(); ++k) {
        const int above = nodeParent_[jointNode_[k]];
        const auto aboveBone = treeNodeOf.find(above);
        const std::string actual =
            aboveBone == treeNodeOf.end() ? "no joint" : quoted(names_[aboveBone->second]);
        const std::string expected = parents_[k] < 0 ? "no joint" : quoted(names_[parents_[k]]);
        if (actual != expected) {
            return "joint " + quoted(names_[k]) + " hangs below " + actual +
                   ", in the archive below " + expected;
        }
    }
    return "";
}

std::vector<int> GltfPoseSource::skinJointPositions(const tinygltf::Model& doc) const {
    std::map<int, int> positionOfNode;
    for (size_t k = 0; k < jointNode_.size(); ++k) {
        positionOfNode[jointNode_[k]] = static_cast<int>(k);
    }
    std::vector<int> out;
    if (skin_ < 0) return out;
    for (int joint : doc.skins[skin_].joints) {
        const auto found = positionOfNode.find(joint);
        out.push_back(found == positionOfNode.end() ? -1 : found->second);
    }
    return out;
}

std::string GltfPoseSource::readInverseBinds(const tinygltf::Model& doc) {
    inverseBind_.assign(names_.size(), identity4d());
    if (skin_ < 0) {
        // Without a skin the joints' frames are the export's own: the bones as loaded.
        for (size_t k = 0; k < names_.size(); ++k) {
            if (!invert(loadedGlobal_[k], inverseBind_[k])) {
                return "the archive's matrices of " + quoted(names_[k]) + " cannot be inverted";
            }
        }
        return "";
    }
    const tinygltf::Skin& skin = doc.skins[skin_];
    if (skin.inverseBindMatrices < 0) return "";  // identities
    std::vector<float> values;
    const std::string error = readFloats(doc, skin.inverseBindMatrices, 16, values);
    if (!error.empty()) return "the skin's inverse bind matrices: " + error;
    if (values.size() != 16 * skin.joints.size()) {
        return "the skin has not one inverse bind matrix per joint";
    }
    std::map<int, size_t> slot;
    for (size_t j = 0; j < skin.joints.size(); ++j) slot[skin.joints[j]] = j;
    for (size_t k = 0; k < names_.size(); ++k) {
        const float* m = values.data() + 16 * slot[jointNode_[k]];
        for (int e = 0; e < 16; ++e) inverseBind_[k][e] = m[e];
    }
    return "";
}

namespace {

struct Box {
    double low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
    void add(const std::array<double, 3>& p) {
        for (int a = 0; a < 3; ++a) {
            low[a] = std::min(low[a], p[a]);
            high[a] = std::max(high[a], p[a]);
        }
    }
    bool empty() const { return !(low[0] <= high[0]); }
    // The largest distance between matching faces of this box turned by m (an axis turn) and
    // other.
    double distance(const Mat4d& m, const Box& other) const {
        Box turned;
        for (int corner = 0; corner < 8; ++corner) {
            turned.add(transformPoint(m, static_cast<float>(corner & 1 ? high[0] : low[0]),
                                      static_cast<float>(corner & 2 ? high[1] : low[1]),
                                      static_cast<float>(corner & 4 ? high[2] : low[2])));
        }
        double worst = 0;
        for (int a = 0; a < 3; ++a) {
            worst = std::max({worst, std::fabs(turned.low[a] - other.low[a]),
                              std::fabs(turned.high[a] - other.high[a])});
        }
        return worst;
    }
};

}  // namespace

// The skin is what moves a part's vertices, but from where: their bind positions in the file.
// Our export writes them in the viewer's frame; tools that bind in the scene's world write them
// there, turned by the "model" node. Of the two, the one whose bounds match the archive's parts
// as loaded is taken.
std::string GltfPoseSource::findBindSpace(const tinygltf::Model& doc, const BoneNode& root) {
    bindSpace_ = identity4d();
    Box archive;
    size_t k = 0;
    forEachPreOrder(root, [&](const BoneNode& node) {
        for (size_t i = 0; i < node.mesh->polygonCount(); ++i) {
            const PolygonView polygon = node.mesh->polygon(i);
            for (size_t c = 0; c < polygon.cornerCount(); ++c) {
                const Vec3& p = polygon.position(c);
                archive.add(transformPoint(loadedGlobal_[k], p.x(), p.y(), p.z()));
            }
        }
        ++k;
    });
    Box file;
    for (const tinygltf::Node& node : doc.nodes) {
        if (skin_ < 0 || node.skin != skin_ || node.mesh < 0 ||
            static_cast<size_t>(node.mesh) >= doc.meshes.size()) {
            continue;
        }
        for (const tinygltf::Primitive& primitive : doc.meshes[node.mesh].primitives) {
            const auto position = primitive.attributes.find("POSITION");
            if (position == primitive.attributes.end()) continue;
            std::vector<float> values;
            const std::string error = readFloats(doc, position->second, 3, values);
            if (!error.empty()) return "the skinned mesh's positions: " + error;
            for (size_t v = 0; v + 2 < values.size(); v += 3) {
                file.add({values[v], values[v + 1], values[v + 2]});
            }
        }
    }
    if (archive.empty() || file.empty()) return "";
    Mat4d world;
    invert(worldToViewer(), world);
    if (archive.distance(world, file) < archive.distance(identity4d(), file)) bindSpace_ = world;
    return "";
}

std::string GltfPoseSource::poseAt(const double* time, Pose& out) const {
    std::vector<NodeTransform> nodes = nodes_;
    if (time) animation_.sample(*time, nodes);
    std::vector<Mat4d> world(nodes.size());
    for (int n : nodeOrder_) {
        const Mat4d local = nodes[n].local();
        world[n] = nodeParent_[n] < 0 ? local : multiply(world[nodeParent_[n]], local);
    }
    // Where each part is drawn: the skin's matrix, seen from the viewer's frame, applied to the
    // part as it was bound (the bones as loaded).
    const Mat4d toViewer = worldToViewer();
    std::vector<Mat4d> drawn(names_.size());
    out = Pose();
    for (size_t k = 0; k < names_.size(); ++k) {
        drawn[k] = multiply(toViewer, multiply(multiply(world[jointNode_[k]], inverseBind_[k]),
                                               multiply(bindSpace_, loadedGlobal_[k])));
        Mat4d local = drawn[k];
        if (parents_[k] >= 0) {
            const int p = parents_[k];
            Mat4d childFrame = multiply(drawn[p], toMat4d(loaded_[p].boneOffset)), inverse;
            if (!invert(childFrame, inverse)) {
                return "the place of " + quoted(names_[p]) + " cannot be inverted";
            }
            local = multiply(inverse, drawn[k]);
        }
        if (!isFinite(local)) return "the place of " + quoted(names_[k]) + " is not a number";
        out.set(ids_[k], fromLocal(local, loaded_[k].boneOffset));
    }
    return "";
}
