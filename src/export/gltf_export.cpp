// The glTF export: the "model" node that turns the viewer's axes into glTF's, the bone tree
// as joint nodes carrying the pose, one skin bound to the pose as loaded, the skinned mesh,
// and the animation "poses" when there are several poses.

#include "export/gltf_export.h"

#include <tiny_gltf.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "export/glb_container.h"
#include "export/gltf_buffer.h"
#include "export/gltf_mesh.h"
#include "io/file_saving.h"
#include "model/bone_node.h"

namespace {

// Joint indices are stored as unsigned shorts.
constexpr size_t kMaxNodes = 65536;

Failure refusal(std::string why) {
    return {kExportRefused, std::move(why)};
}

bool endsWith(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        const char c = text[text.size() - tail.size() + i];
        if (std::tolower(static_cast<unsigned char>(c)) != tail[i]) return false;
    }
    return true;
}

// The main view looks along -y with +z down the screen and +x to the right: the half-turn
// about x by +90 degrees takes -z to +Y (up) and +y, the side facing the view, to +Z.
tinygltf::Node modelNode() {
    tinygltf::Node node;
    node.name = "model";
    const double half = std::sqrt(0.5);
    node.rotation = {half, 0.0, 0.0, half};
    return node;
}

// The poses split into node transforms, [pose][node]; the failure names the first that cannot be.
Result<std::vector<std::vector<Trs>>> splitPoses(const ExportInput& input,
                                                 const std::vector<int>& parents,
                                                 const std::vector<std::string>& names) {
    std::vector<std::vector<Trs>> out;
    for (const ExportPose& pose : input.poses) {
        PoseSplit split = splitPose(pose.matrices, *input.root, parents);
        if (!split.fits) return refusal("the pose of " + pose.source + " does not fit the tree");
        if (split.failedNode >= 0) {
            return refusal(names[split.failedNode] + " of " + pose.source +
                           " is not a translation, rotation and positive scale (" + split.why +
                           ")");
        }
        // Consecutive keys take the short way round.
        if (!out.empty()) {
            for (size_t i = 0; i < split.nodes.size(); ++i) {
                const auto& before = out.back()[i].rotation;
                auto& q = split.nodes[i].rotation;
                if (before[0] * q[0] + before[1] * q[1] + before[2] * q[2] + before[3] * q[3] < 0) {
                    for (double& component : q) component = -component;
                }
            }
        }
        out.push_back(std::move(split.nodes));
    }
    return out;
}

void addAnimation(tinygltf::Model& doc, GltfBuffer& buffer,
                  const std::vector<std::vector<Trs>>& poses, int firstJointNode) {
    tinygltf::Animation animation;
    animation.name = "poses";
    std::vector<float> times;
    for (size_t k = 0; k < poses.size(); ++k) times.push_back(static_cast<float>(k));
    const int input = buffer.addFloats(times, TINYGLTF_TYPE_SCALAR, 0, true);
    const size_t nodeCount = poses[0].size();
    for (size_t node = 0; node < nodeCount; ++node) {
        std::vector<float> translations, rotations, scales;
        for (const auto& pose : poses) {
            const Trs& trs = pose[node];
            for (double v : trs.translation) translations.push_back(static_cast<float>(v));
            for (double v : trs.rotation) rotations.push_back(static_cast<float>(v));
            for (double v : trs.scale) scales.push_back(static_cast<float>(v));
        }
        const std::pair<const char*, int> outputs[] = {
            {"translation", buffer.addFloats(translations, TINYGLTF_TYPE_VEC3, 0)},
            {"rotation", buffer.addFloats(rotations, TINYGLTF_TYPE_VEC4, 0)},
            {"scale", buffer.addFloats(scales, TINYGLTF_TYPE_VEC3, 0)}};
        for (const auto& [path, output] : outputs) {
            tinygltf::AnimationSampler sampler;
            sampler.input = input;
            sampler.output = output;
            sampler.interpolation = "LINEAR";  // spherical for rotations
            animation.samplers.push_back(sampler);
            tinygltf::AnimationChannel channel;
            channel.sampler = static_cast<int>(animation.samplers.size() - 1);
            channel.target_node = firstJointNode + static_cast<int>(node);
            channel.target_path = path;
            animation.channels.push_back(channel);
        }
    }
    doc.animations.push_back(animation);
}

void addSkin(tinygltf::Model& doc, GltfBuffer& buffer, const std::vector<Mat4d>& inverseBinds,
             int firstJointNode) {
    tinygltf::Skin skin;
    skin.name = "skeleton";
    skin.skeleton = firstJointNode;
    std::vector<float> matrices;
    for (size_t j = 0; j < inverseBinds.size(); ++j) {
        skin.joints.push_back(firstJointNode + static_cast<int>(j));
        for (double v : inverseBinds[j]) matrices.push_back(static_cast<float>(v));
    }
    skin.inverseBindMatrices = buffer.addFloats(matrices, TINYGLTF_TYPE_MAT4, 0);
    doc.skins.push_back(skin);
}

// Builds the document; the failure gives the reason, without the path.
Result<> buildDocument(const ExportInput& input, bool binary, tinygltf::Model& doc, GltfBuffer& buffer) {
    const std::vector<int> parents = preOrderParents(*input.root);
    if (parents.size() > kMaxNodes) return refusal("the tree has more than 65,536 nodes");
    std::vector<NodeMatrices> loadedMatrices;
    if (!matricesInTreeOrder(input.loaded, *input.root, loadedMatrices) || input.poses.empty()) {
        return refusal("the loaded pose does not fit the tree");
    }
    std::vector<std::string> names;
    forEachPreOrder(*input.root,
                    [&names](const BoneNode& node) { names.push_back(jointName(node.boneId)); });

    Result<std::vector<std::vector<Trs>>> split = splitPoses(input, parents, names);
    if (!split) return split.failure();
    const std::vector<std::vector<Trs>>& poses = *split;
    const std::vector<Mat4d> loaded = globalTransforms(loadedMatrices, parents);
    std::vector<Mat4d> inverseBinds(loaded.size());
    for (size_t i = 0; i < loaded.size(); ++i) {
        if (!invert(loaded[i], inverseBinds[i])) {
            return refusal("the loaded matrices of " + names[i] + " cannot be inverted");
        }
    }

    doc.asset.version = "2.0";
    doc.asset.generator = "Veldraxis Viewer";

    // Nodes: 0 "model", 1 .. n the tree in pre-order, n + 1 the skinned mesh.
    constexpr int kFirstJointNode = 1;
    doc.nodes.push_back(modelNode());
    doc.nodes[0].children.push_back(kFirstJointNode);
    for (size_t i = 0; i < parents.size(); ++i) {
        tinygltf::Node node;
        node.name = names[i];
        const Trs& trs = poses[0][i];
        node.translation.assign(trs.translation.begin(), trs.translation.end());
        node.rotation.assign(trs.rotation.begin(), trs.rotation.end());
        node.scale.assign(trs.scale.begin(), trs.scale.end());
        doc.nodes.push_back(node);
        if (parents[i] >= 0) {
            doc.nodes[kFirstJointNode + parents[i]].children.push_back(kFirstJointNode +
                                                                       static_cast<int>(i));
        }
    }
    tinygltf::Scene scene;
    scene.name = "scene";
    scene.nodes.push_back(0);

    // A skinned mesh node must be a scene root without a transform of its own: its joints,
    // below "model", place it.
    const int mesh = addSkinnedMesh(doc, buffer, *input.root, loaded, *input.page, binary);
    if (mesh >= 0) {
        addSkin(doc, buffer, inverseBinds, kFirstJointNode);
        tinygltf::Node meshNode;
        meshNode.name = "mesh";
        meshNode.mesh = mesh;
        meshNode.skin = 0;
        doc.nodes.push_back(meshNode);
        scene.nodes.push_back(static_cast<int>(doc.nodes.size() - 1));
        doc.extensionsUsed.push_back("KHR_materials_unlit");
    }
    doc.scenes.push_back(scene);
    doc.defaultScene = 0;

    if (poses.size() >= 2) addAnimation(doc, buffer, poses, kFirstJointNode);
    if (buffer.size() == 0) doc.buffers.clear();
    return {};
}

// A .glb: tinygltf's JSON, and the binary chunk written from the buffer where it was made.
Result<> saveBinary(const tinygltf::Model& doc, const GltfBuffer& buffer, const std::string& path) {
    const Result<std::string> json = glbJson(doc, buffer.size());
    if (!json) return Result<>::failed(kExportWriterFailed, json.message);
    const Result<> saved = saveGlb(path, *json, buffer.data(), buffer.size());
    if (!saved) return Result<>::failed(kExportNotSaved, saved.message);
    return {};
}

// A .gltf: tinygltf embeds the buffer as base64 and writes the one text.
Result<> saveText(tinygltf::Model& doc, const GltfBuffer& buffer, const std::string& path) {
    if (!doc.buffers.empty()) doc.buffers[0].data = buffer.copy();
    std::ostringstream out;
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&doc, out, false, false)) {
        return Result<>::failed(kExportWriterFailed, "the glTF writer failed");
    }
    const std::string text = out.str();
    const SaveResult saved = saveFilePieces(
        path, {BytePiece{reinterpret_cast<const uint8_t*>(text.data()), text.size()}});
    if (saved.outcome != SaveOutcome::Saved) {
        return Result<>::failed(kExportNotSaved, describeSaveFailure(saved));
    }
    return {};
}

}  // namespace

bool isGltfExportPath(const std::string& path) {
    return endsWith(path, ".glb") || endsWith(path, ".gltf");
}

Result<> exportGltf(const ExportInput& input, const std::string& path) {
    const auto cannot = [&path](int code, const std::string& why) {
        return Result<>::failed(code, "Cannot export " + path + ": " + why);
    };
    if (!isGltfExportPath(path)) {
        return cannot(kExportBadName, "the name must end in .glb or .gltf");
    }
    const bool binary = endsWith(path, ".glb");
    tinygltf::Model doc;
    GltfBuffer buffer(doc);
    const Result<> built = buildDocument(input, binary, doc, buffer);
    if (!built) return cannot(kExportRefused, built.message);
    const Result<> saved = binary ? saveBinary(doc, buffer, path) : saveText(doc, buffer, path);
    if (!saved) return cannot(saved.code, saved.message);
    return {};
}
